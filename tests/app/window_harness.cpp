#include "tests/app/window_harness.h"

#include "library/file_name.h"
#include "library/movie_xml.h"
#include "pipeline/thread_control.h"
#include "tests/support/test_application.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Lives for the whole test process: the home, data and cache folders and the fake shell.
QTemporaryDir& ProcessFolder() {
    static QTemporaryDir folder;
    return folder;
}

QString ShellLogPath() {
    return ProcessFolder().filePath(u"xdg-open.log"_s);
}

void WriteFakeXdgOpen(const QString& bin) {
    QDir().mkpath(bin);
    const QString script = bin + u"/xdg-open"_s;
    QFile file(script);
    file.open(QIODevice::WriteOnly);
    // Each path ends with a NUL byte: a file name may hold line feeds.
    file.write("#!/bin/sh\nprintf '%s\\0' \"$1\" >> \"" + ShellLogPath().toUtf8() + "\"\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A session bus of our own, so the file-manager call can be answered (or not) by the tests.
QProcess* SessionBus = nullptr;

void StopSessionBus() {
    SessionBus->terminate();
    SessionBus->waitForFinished(2000);
    delete SessionBus;
}

void StartSessionBus() {
    SessionBus = new QProcess;
    SessionBus->start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--nopidfile"_s, u"--print-address"_s});
    if (SessionBus->waitForReadyRead(5000))
        qputenv("DBUS_SESSION_BUS_ADDRESS", SessionBus->readLine().trimmed());
    else
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
}

} // namespace

// The window tests need widgets and the browser; this replaces the default test application.
std::unique_ptr<QGuiApplication> CreateTestApplication(int& argc, char** argv) {
    const QString root = ProcessFolder().path();
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        const QString dir = root + u'/' + QString::fromLatin1(name).toLower();
        QDir().mkpath(dir);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv(name, dir.toUtf8());
    }
    // Nothing leaves the machine: every HTTP request goes to a port where nobody listens.
    qputenv("http_proxy", "http://127.0.0.1:9");
    qputenv("https_proxy", "http://127.0.0.1:9");
    qputenv("no_proxy", "");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    const QString bin = root + u"/bin"_s;
    WriteFakeXdgOpen(bin);
    qputenv("PATH", bin.toUtf8() + ':' + qgetenv("PATH"));
    StartSessionBus();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    auto app = std::make_unique<QApplication>(argc, argv);
    qAddPostRoutine(StopSessionBus);
    return app;
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

QStringList ShellLog() {
    QFile file(ShellLogPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList paths = DecodeFileName(file.readAll()).split(QChar(0));
    paths.removeLast(); // after the last separator
    return paths;
}

void ClearShellLog() {
    QFile::remove(ShellLogPath());
}

QString JsString(const QString& text) {
    return QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact)).mid(1).chopped(1);
}

WindowHarness::WindowHarness(const std::vector<TestMovie>& movies) {
    ClearShellLog();
    folder_.mkdir(u"movies"_s);
    for (const TestMovie& wanted : movies) {
        folder_.sparse(u"movies/"_s + wanted.relative, 30'000'001);
        MovieRecord movie;
        movie.FilePath = moviePath(wanted.relative);
        movie.Title = wanted.title;
        movie.Overview = wanted.overview;
        WriteMovieXml(movie);
        if (wanted.poster) {
            QImage poster(200, 296, QImage::Format_RGB32);
            poster.fill(QColor(0x33, 0x66, 0x99));
            // Through the test folder, which writes any name's own bytes.
            QByteArray jpeg;
            QBuffer buffer(&jpeg);
            buffer.open(QIODevice::WriteOnly);
            poster.save(&buffer, "JPG");
            folder_.write(u"movies/"_s + wanted.relative + u".jpg"_s, jpeg);
        }
    }
    const QString list = folder_.file(u"movies"_s) + u'\n';
    folder_.write(u"dirs.txt"_s, Utf16Le(list, false));
}

WindowHarness::~WindowHarness() {
    close();
}

QString WindowHarness::moviePath(const QString& relative) const {
    return folder_.file(u"movies/"_s + relative);
}

void WindowHarness::open(CReelboardView::ThreadBody pipeline, const std::function<void(CMainFrame*)>& beforeStart) {
    frame_ = std::make_unique<CMainFrame>(new CReelboardView(nullptr, std::move(pipeline)));
    // The address of each load comes with its own notice: the view's address already names the next
    // page when a late notice of the previous one arrives.
    QObject::connect(frame_->View()->page(), &QWebEnginePage::loadingChanged, frame_.get(),
                     [this](const QWebEngineLoadingInfo& info) {
                         if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus)
                             loaded_ << (info.url().isLocalFile() ? info.url().fileName() : u""_s);
                         else if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus)
                             loaded_ << QString();
                     });
    if (beforeStart)
        beforeStart(frame_.get());
    frame_->ShowAndStart();
}

void WindowHarness::openAndWaitForWall() {
    open();
    ASSERT_TRUE(waitForPage(u"menu.html"_s)) << "shown: " << view()->url().toString().toStdString();
}

void WindowHarness::close() {
    if (!frame_)
        return;
    std::shared_ptr<MovieLibrary> library = view()->Library();
    frame_->close();
    frame_.reset();
    // Every thread holds the library until it has ended; a thread the stop sequence had to leave
    // running ends at its next stop check.
    EXPECT_TRUE(WaitUntil([&] { return library.use_count() == 1; }, 20000));
}

QString WindowHarness::shownPage() const {
    const QUrl url = view()->url();
    return url.isLocalFile() ? url.fileName() : QString();
}

bool WindowHarness::waitForPage(const QString& page, int timeoutMs) {
    return WaitUntil([&] { return !loaded_.isEmpty() && loaded_.last() == page && shownPage() == page; }, timeoutMs);
}

bool WindowHarness::actAndWaitForPage(const std::function<void()>& action, const QString& page, int timeoutMs) {
    const qsizetype before = loaded_.size();
    action();
    return WaitUntil([&] { return loaded_.size() > before && loaded_.last() == page && shownPage() == page; },
                     timeoutMs);
}

QVariant WindowHarness::js(const QString& script, int timeoutMs) {
    bool done = false;
    QVariant result;
    view()->page()->runJavaScript(script, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    EXPECT_TRUE(WaitUntil([&] { return done; }, timeoutMs)) << script.toStdString();
    return result;
}

QVariant WindowHarness::extCommand(int command, const QString& arg) {
    js(u"window.__answer = undefined; window.external.ExtCommand(%1, %2).then(function (r) { window.__answer = r; });"_s
           .arg(command)
           .arg(JsString(arg)));
    QVariant answer;
    WaitUntil([&] {
        answer = js(u"window.__answer"_s);
        return answer.isValid() && !answer.isNull();
    });
    return answer;
}

bool WindowHarness::click(const QString& selector) {
    return js(u"(function () { var e = document.querySelector(%1); if (!e) return false; e.click(); return true; })()"_s
                  .arg(JsString(selector)))
        .toBool();
}
