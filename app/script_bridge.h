#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QWebEnginePage;

// The one object page script reaches, published on the page's web channel. It carries nothing but
// ExtCommand, so pages cannot reach the window's own methods.
class CScriptBridge : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<bool(int, const QString&)>;
    CScriptBridge(Handler handler, QObject* parent);

    Q_INVOKABLE bool ExtCommand(int command, const QString& arg);

private:
    Handler handler_;
};

// Publishes `bridge` to `page` and injects, into every document before its own scripts run, the
// script that defines window.external.ExtCommand(n, arg): it forwards the call over the channel,
// keeps calls made before the channel is up until it is, and returns a Promise of the result.
void InstallScriptBridge(QWebEnginePage* page, CScriptBridge* bridge);

// The injected script (the channel's client library followed by the definition above).
QString ScriptBridgeSource();
