// The local value service: D-Bus glue around the rules of DdeServer.h.
#include "app/DdeService.h"

#include "acquisition/DdeServer.h"
#include "platform/MessageBox.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusError>

#include <cstdio>

namespace {

constexpr const char* kObjectPath = "/QVhost";
constexpr const char* kNoConversation = "QVhost.DDE.Error.NoConversation";
constexpr const char* kNoData = "QVhost.DDE.Error.NoData";

} // namespace

CDdeService::CDdeService() = default;

CDdeService::~CDdeService() {
    if (!m_strBusName.empty()) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(kObjectPath);
        if (!bus.unregisterService(QString::fromStdString(m_strBusName))) {
            std::fprintf(stderr, "DDE Error: %s\n", bus.lastError().message().toLocal8Bit().constData());
        }
    }
}

int CDdeService::Register(const std::string& name) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "No session bus: the local value service is not offered (%s)\n",
                     bus.lastError().message().toLocal8Bit().constData());
        return 0;
    }
    const QString busName = QString::fromStdString(name) + ".DDE";
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus.interface()->registerService(
        busName, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        const QString text = !reply.isValid()
                                 ? reply.error().message()
                                 : QString("The name %1 is already taken on the session bus.").arg(busName);
        platform::MessageBox(text.toStdString(), "DDE Error", platform::MB_OK);
        return 0;
    }
    if (!bus.registerObject(kObjectPath, this, QDBusConnection::ExportScriptableSlots)) {
        platform::MessageBox(bus.lastError().message().toStdString(), "DDE Error", platform::MB_OK);
        bus.unregisterService(busName);
        return 0;
    }
    m_strBusName = busName.toStdString();
    return 1;
}

QString CDdeService::Request(const QString& topic, const QString& item) {
    int caseNumber = 0;
    if (!DdeAcceptTopic(topic.toStdString(), caseNumber)) {
        sendErrorReply(kNoConversation, QString("No conversation on topic %1").arg(topic));
        return {};
    }
    std::string text;
    if (!DdeRequestValue(caseNumber, item.toStdString(), text)) {
        sendErrorReply(kNoData, QString("No data for item %1 of topic %2").arg(item, topic));
        return {};
    }
    return QString::fromStdString(text);
}
