#pragma once

// The program's windows as start-up makes them, against a simulator of their
// own, as the tests that drive its dialogs with the keys take them.

#include "app/Configurator.h"
#include "common/SimProcess.h"
#include "common/WindowParts.h"
#include "ui/Startup.h"
#include "ui/TfrmMain.h"
#include "ui/TfrmProgress.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace sr5n::test {

// Two protocols the installed library does not hold.
inline const QString kRecordA = QStringLiteral("0102010FCF0000000000000000000000060526");
inline const QString kRecordB = QStringLiteral("02000004FF1F00000000000000000000060528");

// The captions of the windows that register a protocol, and of the message boxes.
inline const QString kAddProtocolCaption = QStringLiteral("Добавление протокола в программу");
inline const QString kSaveProtocolCaption = QStringLiteral("Сохранение протокола");
inline const QString kAppTitle = QStringLiteral("СР-5/Н Конфигуратор");

// A device whose two pairs hold protocols A and B (sr5n-sim --state).
inline QJsonObject DeviceWithUnknownProtocols()
{
    return QJsonObject{{QStringLiteral("blocks"), QJsonObject{{QStringLiteral("1E"), kRecordA},
                                                              {QStringLiteral("20"), kRecordB}}}};
}

// The program's windows from start-up over a copy of the installation data
// (the protocol library is written there), on short link timings, the main
// window active and its port field naming a sr5n-sim of their own.
struct ProgramWindows {
    QTemporaryDir folder;
    std::unique_ptr<Configurator> app;
    std::unique_ptr<Windows> windows;
    std::unique_ptr<SimProcess> sim;

    // sr5n-sim starts with `simArguments`, and holds `deviceState` when one is
    // given; `beforeStart` runs on the data folder before the windows are made.
    explicit ProgramWindows(const QStringList &simArguments = {},
                            const QJsonObject &deviceState = {},
                            const std::function<void(const QString &)> &beforeStart = {})
    {
        const QDir installation(QStringLiteral(SR5N_BIN_DIR));
        for (const QString &file : installation.entryList({QStringLiteral("*.bin")}, QDir::Files))
            QFile::copy(installation.filePath(file), path(file));
        if (beforeStart)
            beforeStart(folder.path());
        app = std::make_unique<Configurator>(folder.path(), ShortLinkTimings());
        windows = std::make_unique<Windows>(*app);
        main().show();
        main().activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&main()));
        QStringList arguments = simArguments;
        if (!deviceState.isEmpty()) {
            QFile state(path(QStringLiteral("device.json")));
            EXPECT_TRUE(state.open(QIODevice::WriteOnly) &&
                        state.write(QJsonDocument(deviceState).toJson()) > 0);
            state.close();
            arguments << QStringLiteral("--state") << state.fileName();
        }
        sim = std::make_unique<SimProcess>(arguments);
        EXPECT_TRUE(sim->started());
        part<QComboBox>(main(), "cbxComPort")->setEditText(sim->path());
    }

    TfrmMain &main() { return windows->main(); }
    TfrmProgress &progress() { return windows->progress(); }
    QString path(const QString &name) const { return folder.filePath(name); }
};

} // namespace sr5n::test
