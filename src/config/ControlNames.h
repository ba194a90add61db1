#pragma once

#include <QString>
#include <QStringView>

namespace sr5n {

// Control names are a type prefix ("trb", "stt", "chb", "edt", "dtp", "cbx",
// "rgp", "gbx", "lbl", "sbtPM") followed by a stem. Values of a pair carry the
// pair digit in the stem ("trb" + "1" + "PCallsTrialCount"), values of one
// station number the pair digit, "P" and the number digit ("trb" + "1P2" +
// "NWaitPCNReady").

// prefix + pair digit + rest; `rest` starts with "P".
QString PairControlName(QStringView prefix, int pair, QStringView rest);
// prefix + pair digit + "P" + number digit + rest; `rest` starts with "N".
QString NumberControlName(QStringView prefix, int pair, int number, QStringView rest);

// The three-letter type prefix of a name ("trb1PTestPeriod" gives "trb").
QString ControlPrefix(const QString &name);
// The name without its three-letter type prefix ("trb1PTestPeriod" gives "1PTestPeriod").
QString ControlStem(const QString &name);
// The partner control: the same stem under another prefix ("trb..." -> "stt...").
QString SwapPrefix(const QString &name, QStringView newPrefix);

} // namespace sr5n
