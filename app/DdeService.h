// The frame's local value service on the user's D-Bus session bus: the
// well-known name "<name>.DDE" (D-Bus names need two elements), object
// "/QVhost", interface "QVhost.DDE", one method Request(topic, item) that
// answers with the value text or an error. Without a session bus there is
// no service (a log line only).
#pragma once

#include <QDBusContext>
#include <QObject>
#include <QString>

#include <string>

class CDdeService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "QVhost.DDE")
public:
    CDdeService();
    // Unregisters the name when it was registered.
    ~CDdeService() override;

    // Registers the service under the name; 0 when there is no session bus
    // (logged) or the bus refuses the name (its error shown under "DDE Error").
    int Register(const std::string& name);
    const std::string& GetBusName() const { return m_strBusName; }

public slots:
    Q_SCRIPTABLE QString Request(const QString& topic, const QString& item);

private:
    std::string m_strBusName;
};
