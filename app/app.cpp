#include "app/app.h"

#include "app/main_frame.h"
#include "app/session_end.h"
#include "app/temp_files.h"
#include "app/wall_bench.h"
#include "app/wall_view.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <cstdio>
#include <cstdlib>
#include <functional>

using namespace Qt::StringLiterals;

WindowOptions ParseWindowOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption dataFolder(u"data-folder"_s);
    QCommandLineOption screenshot(u"screenshot"_s, QString(), u"file"_s);
    QCommandLineOption screenshotFilm(u"screenshot-film"_s, QString(), u"file"_s);
    QCommandLineOption benchWall(u"bench-wall"_s);
    QCommandLineOption logStatus(u"log-status"_s);
    screenshot.setFlags(QCommandLineOption::HiddenFromHelp);
    screenshotFilm.setFlags(QCommandLineOption::HiddenFromHelp);
    benchWall.setFlags(QCommandLineOption::HiddenFromHelp);
    logStatus.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({dataFolder, screenshot, screenshotFilm, benchWall, logStatus});
    parser.parse(arguments); // unknown options are ignored, as the window always was
    WindowOptions options;
    options.dataFolder = parser.isSet(dataFolder);
    if (parser.isSet(screenshot))
        options.screenshot = QFileInfo(parser.value(screenshot)).absoluteFilePath();
    if (parser.isSet(screenshotFilm))
        options.screenshotFilm = QFileInfo(parser.value(screenshotFilm)).absoluteFilePath();
    options.benchWall = parser.isSet(benchWall);
    options.logStatus = parser.isSet(logStatus);
    return options;
}

QString PrepareDataFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return {};
    return folder;
}

namespace {

// Runs `then` once, when the wall page has finished loading. The address comes with the load's own
// notice: by the time a late notice of the start page arrives, the view may already name the wall.
void WhenWallLoads(CMainFrame* frame, std::function<void(bool ok)> then) {
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(frame->View()->page(), &QWebEnginePage::loadingChanged, frame,
                                   [connection, then = std::move(then)](const QWebEngineLoadingInfo& info) {
                                       if (info.url().fileName() != u"menu.html"_s ||
                                           info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
                                           return;
                                       QObject::disconnect(*connection);
                                       then(info.status() == QWebEngineLoadingInfo::LoadSucceededStatus);
                                   });
}

void SaveWindow(CMainFrame* frame, const QString& file) {
    if (!frame->grab().save(file))
        std::fprintf(stderr, "reelboard: cannot save %s\n", qPrintable(file));
}

// Opens the film page of the first movie with information, as a click on its poster does, and saves
// the window once it has painted.
void SaveFilmPage(CMainFrame* frame, const QString& file) {
    QObject::connect(frame->View()->page(), &QWebEnginePage::loadingChanged, frame,
                     [frame, file](const QWebEngineLoadingInfo& info) {
                         if (info.url().fileName() == u"detail.html"_s &&
                             info.status() == QWebEngineLoadingInfo::LoadSucceededStatus)
                             QTimer::singleShot(1500, frame, [frame, file] {
                                 SaveWindow(frame, file);
                                 frame->close();
                             });
                     });
    frame->View()->page()->runJavaScript(
        u"Array.from(document.querySelectorAll('.d')).filter(d => !d.querySelector('.nf'))[0].querySelector('a').click()"_s);
}

// Saves the whole window once the wall has loaded and painted (and then, when asked, a film page),
// then closes it.
void SaveScreenshotWhenWallLoads(CMainFrame* frame, const QString& file, const QString& filmFile) {
    WhenWallLoads(frame, [frame, file, filmFile](bool) {
        QTimer::singleShot(1500, frame, [frame, file, filmFile] {
            SaveWindow(frame, file);
            if (filmFile.isEmpty())
                frame->close();
            else
                SaveFilmPage(frame, filmFile);
        });
    });
}

} // namespace

CReelboardApp::CReelboardApp(int& argc, char** argv) {
    // The browser shares graphics contexts with the window; this must precede the application object.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QCoreApplication::setApplicationName(u"reelboard"_s);
    QCoreApplication::setApplicationVersion(u"1.05"_s);
    app_ = std::make_unique<QApplication>(argc, argv);
    // No display name: the platform would append it to the caption, which names the program already.
    QGuiApplication::setDesktopFileName(u"reelboard"_s);
    options_ = ParseWindowOptions(QCoreApplication::arguments());
}

CReelboardApp::~CReelboardApp() = default;

bool CReelboardApp::InitInstance() {
    if (options_.dataFolder) {
        // Started from the desktop menu: a folder of its own, never the home folder itself.
        const QString folder = PrepareDataFolder();
        if (folder.isEmpty() || !QDir::setCurrent(folder)) {
            std::fprintf(stderr, "reelboard: cannot use the data folder %s\n", qPrintable(folder));
            return false;
        }
    }
    frame_ = std::make_unique<CMainFrame>();
    if (!options_.screenshot.isEmpty())
        SaveScreenshotWhenWallLoads(frame_.get(), options_.screenshot, options_.screenshotFilm);
    if (options_.benchWall)
        ReportWallBenchmark(frame_.get());
    if (options_.logStatus)
        QObject::connect(frame_->View(), &CReelboardView::StatusText, [](const QString& text) {
            const QByteArray line = text.toUtf8() + '\n';
            std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
            std::fflush(stderr);
        });
    CloseOnTerminationSignals(frame_.get());
    frame_->ShowAndStart();
    return true;
}

int CReelboardApp::Run() {
    const int code = QApplication::exec();
    // No thread may outlive the view that owns the library: the ones the stop sequence had to leave
    // running get a moment to reach their next stop check.
    const long running = WaitForLibraryThreads(frame_->View()->Library(), 250);
    // The close deleted the temporaries at once; a thread that ended since may have left one.
    DeleteOwnTempFiles(QDir::currentPath());
    frame_.reset(); // the window (and the browser) go before the application object
    if (running) {
        std::fprintf(stderr, "reelboard: threads still running at exit (%ld references to the library)\n", running);
        // Such a thread could still reach the static objects that a normal exit destroys.
        std::fflush(nullptr);
        std::_Exit(code);
    }
    return code;
}

int RunWindowApp(int argc, char** argv) {
    static int count = argc; // QApplication keeps a reference to it
    CReelboardApp app(count, argv);
    if (!app.InitInstance())
        return 1;
    return app.Run();
}
