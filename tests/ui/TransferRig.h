#pragma once

// A main window against sr5n-sim, as the tests of the configuration's
// transfers, comparisons and history drive it.

#include "app/Configurator.h"
#include "common/FakeNotifier.h"
#include "common/SimProcess.h"
#include "common/WindowParts.h"
#include "config/BlockContext.h"
#include "config/ConfigModel.h"
#include "config/FakeProtocolCatalog.h"
#include "config/RequestLists.h"
#include "events/EventCodeTables.h"
#include "ui/TfrmMain.h"
#include "ui/TfrmProgress.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace sr5n::test {

inline const QString kStarterRecord = QStringLiteral("02000004FF1F00000000000000000000050528");
inline const QString kOtherRecord = QStringLiteral("00000100CF0000000000000000000000050526");

// A main window on short link timings, with a fake library and notifier, its
// catalogue of objects in a folder of its own, talking to a simulator of its own.
struct Rig {
    QTemporaryDir userFolder;
    test::FakeNotifier notifier;
    Configurator app{QCoreApplication::applicationDirPath(), test::ShortLinkTimings()};
    TfrmMain window{app};
    TfrmProgress progress{&window};
    test::FakeProtocolCatalog catalog{app.config()};
    std::unique_ptr<test::SimProcess> sim;

    explicit Rig(const QStringList &simArguments = {})
    {
        app.setCatalog(userFolder.filePath(QStringLiteral("catalog.sqlite")),
                       userFolder.filePath(QStringLiteral("history")));
        app.setNotifier(notifier);
        window.setProgressWindow(&progress);
        app.setProtocolCatalog(&catalog);
        catalog.add(QStringLiteral("Contact ID"), kStarterRecord);
        catalog.add(QStringLiteral("4+2"), kOtherRecord);
        config().setChoice(QStringLiteral("cbx1PProtocol"), 0);
        config().setChoice(QStringLiteral("cbx2PProtocol"), 0);
        sim = std::make_unique<test::SimProcess>(simArguments);
        setPort(sim->path());
    }

    ConfigModel &config() { return app.config(); }
    EventCodeTables &tables() { return app.eventTables(); }
    void setPort(const QString &port)
    {
        test::part<QComboBox>(window, "cbxComPort")->setEditText(port);
    }
};

// The window's whole configuration as the write request list: data, then commands.
inline QStringList writeListOf(Rig &rig)
{
    QStringList data, commands;
    EXPECT_TRUE(BuildWriteRequests(
        BlockContext{rig.config(), rig.app.eventTables(), rig.catalog, rig.notifier}, data,
        commands));
    return data + commands;
}

} // namespace sr5n::test
