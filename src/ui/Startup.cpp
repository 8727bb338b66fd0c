#include "ui/Startup.h"

#include "ui/AccessibleNames.h"
#include "ui/AccessibleRoles.h"
#include "ui/ConflictPanel.h"
#include "ui/Handler.h"
#include "ui/MainUnit.h"
#include "ui/Shortcuts.h"
#include "ui/Tools.h"
#include "ui/view.h"
#include "ui/view1form.h"

#include "core/LevelGrid.h"
#include "platform/NoDisplay.h"
#include "recovery/RecoverySession.h"
#include "storage/PrivateFolder.h"
#include "text/Message.h"
#include "text/Quoting.h"

#include <QApplication>
#include <QFile>

#include <cstdio>

namespace ui {

std::unique_ptr<QApplication> makeApplication(int& argc, char** argv,
                                              platform::NoDisplaySaying sayNoDisplay) {
    // Whole scale factors only, so the raster is enlarged without smoothing on high-DPI
    // screens and every screen pixel maps back to one raster pixel.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Round);
    std::unique_ptr<QApplication> app;
    {
        // A display that does not answer: one line and status 1, not Qt's abort.
        const platform::DisplayStartWatch watch(sayNoDisplay);
        app = std::make_unique<QApplication>(argc, argv);
    }
    // Every motion event the window system delivers reaches the editor: Qt would merge
    // the moves queued while a stamp is drawn, and a fast brush stroke would skip cells.
    // Set once the application exists, since X11's platform plugin turns merging on as
    // it loads.
    QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
    installAccessibleRoles();
    return app;
}

namespace {
// The editor works on without recovery when its folder cannot be had; it says so once.
std::unique_ptr<recovery::Session> startRecovery(const recovery::MakeRecordWriter& makeWriter) {
    const std::string folder = qorv::stateFolderFromEnvironment();
    try {
        if (folder.empty())
            throw std::runtime_error("has no place: neither XDG_STATE_HOME nor HOME is set");
        return std::make_unique<recovery::Session>(folder, makeWriter);
    } catch (const std::exception& error) {
        const std::string line =
            qorv::text::complaint(std::string("no recovery after a crash: ") + error.what());
        std::fputs(line.c_str(), stderr);
        return nullptr;
    }
}

} // namespace

namespace {
// What the file of a recovered level holds now, which its changes are measured against:
// a level without a name counts as one New made; a file that cannot be read leaves it
// unknown, and the level is then kept recorded until it is saved.
std::optional<qorv::LevelGrid> savedContentOf(const QString& name) {
    qorv::LevelGrid saved;
    if (name.isEmpty()) {
        qorv::ClearFull(saved);
        return saved;
    }
    try {
        MainForm->loadQRE(name, saved);
        return saved;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
} // namespace

QString recoveryQuestion(const QByteArray& name, bool closed) {
    const QByteArray fileName = name.mid(name.lastIndexOf('/') + 1);
    const QString level = name.isEmpty()
                              ? QStringLiteral("an unnamed level")
                              : QString::fromStdString(qorv::text::quoted(fileName.toStdString()));
    const QString sentence =
        closed ? QStringLiteral("QorvEdit was closed while %1 had changes that were not saved. "
                                "Restore them?")
               : QStringLiteral("QorvEdit ended while %1 had changes that were not saved. "
                                "Restore them?");
    return sentence.arg(level);
}

WindowSet::WindowSet(platform::Dialogs& dialogs, const recovery::MakeRecordWriter& makeWriter)
    : dialogs_(dialogs), recovery_(startRecovery(makeWriter)),
      main_(std::make_unique<TMainForm>(dialogs)) {
    main_->Recovery = recovery_.get();
    // The main window's native window first: the other three are made transient for it,
    // and on Wayland the tools window waits for that window to appear on the screen.
    main_->winId();
    new TToolsForm(main_.get(), dialogs);
    new TViewForm(main_.get(), dialogs);
    new TView1(main_.get(), dialogs);
    addShortcuts(*main_, *ToolsForm);
    new ConflictPanel(*main_, *ToolsForm); // owned by the tools window
    keepKeysWithin(*ViewForm);
    keepKeysWithin(*View1);
    nameControls();
}

WindowSet::~WindowSet() = default;

void WindowSet::open(const QString& path) {
    runHandler({*ToolsForm, dialogs_}, [&] { ToolsForm->openLevel(path); });
}

void WindowSet::offerRecovery() {
    if (!recovery_) return;
    auto ended = recovery_->claimEnded();
    if (!ended) return;
    const qorv::RecoveredLevel& level = ended->level();
    const QByteArray name = QByteArray::fromStdString(level.name);
    const QString decoded = QFile::decodeName(name);
    // A level that its file holds exactly has nothing to lose: the editor ended in the
    // middle of saving it (the record names the file before the file gets its name).
    const std::optional<qorv::LevelGrid> saved = savedContentOf(decoded);
    if (saved == level.grid) {
        ended->discard();
        return;
    }
    const platform::Answer answer =
        dialogs_.askYesNo(*main_, recoveryQuestion(name, ended->closed()));
    // Only Yes or No decides: a question closed without an answer (Escape, its close
    // button, an end signal) keeps the level for the next start.
    if (answer == platform::Answer::None) return;
    if (answer == platform::Answer::Yes) {
        runHandler({*main_, dialogs_}, [&] { ToolsForm->showLevel(decoded, level.grid, saved); });
    }
    ended->discard(); // once the level shown is in this editor's own recovery file
}

} // namespace ui
