#include "app/script_bridge.h"

#include <QFile>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

using namespace Qt::StringLiterals;

namespace {

const QString BridgeObjectName = u"reelboard"_s;

// Runs after the channel's client library in the page's own world, before any page script.
const QString ExternalDefinition = uR"JS(
(function () {
  "use strict";
  var bridge = null;
  var waiting = [];
  function send(command, arg, resolve) {
    bridge.ExtCommand(command, arg, function (result) { resolve(result === true); });
  }
  var external = window.external || {};
  external.ExtCommand = function (command, arg) {
    command = Number(command) | 0;
    arg = (arg === undefined || arg === null) ? "" : String(arg);
    return new Promise(function (resolve) {
      if (bridge) send(command, arg, resolve);
      else waiting.push(function () { send(command, arg, resolve); });
    });
  };
  if (window.external !== external) window.external = external;
  function connect() {
    if (typeof qt === "undefined" || !qt.webChannelTransport) { setTimeout(connect, 5); return; }
    new QWebChannel(qt.webChannelTransport, function (channel) {
      bridge = channel.objects.%1;
      var calls = waiting;
      waiting = [];
      calls.forEach(function (call) { call(); });
    });
  }
  connect();
})();
)JS"_s;

} // namespace

CScriptBridge::CScriptBridge(Handler handler, QObject* parent) : QObject(parent), handler_(std::move(handler)) {}

bool CScriptBridge::ExtCommand(int command, const QString& arg) {
    return handler_ ? handler_(command, arg) : false;
}

QString ScriptBridgeSource() {
    QFile client(u":/qtwebchannel/qwebchannel.js"_s);
    QString source;
    if (client.open(QIODevice::ReadOnly))
        source = QString::fromUtf8(client.readAll());
    return source + ExternalDefinition.arg(BridgeObjectName);
}

void InstallScriptBridge(QWebEnginePage* page, CScriptBridge* bridge) {
    auto* channel = new QWebChannel(page);
    channel->registerObject(BridgeObjectName, bridge);
    page->setWebChannel(channel);

    QWebEngineScript script;
    script.setName(u"reelboard-external"_s);
    script.setSourceCode(ScriptBridgeSource());
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    page->scripts().insert(script);
}
