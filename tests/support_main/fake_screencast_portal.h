#pragma once
// A stand-in for the desktop's ScreenCast portal on a test's private bus: it runs the session flow, hands out
// a restore token and a PipeWire "connection" (one end of a pipe, which carries no stream), and can refuse,
// stay silent or close the session as a desktop does.
#include "support_main/private_bus.h"

#include <QDBusVirtualObject>
#include <QMutex>
#include <QVariantMap>

namespace qmtest {

class FakeScreenCastPortal : public QDBusVirtualObject {
public:
    enum class Answer {
        Share, // the teacher shares the screen
        Refuse, // response 1 to Start: the teacher said no
        Silent, // Start is never answered
    };

    FakeScreenCastPortal();
    ~FakeScreenCastPortal() override;

    // Takes the portal's name on its own connection to the bus; false when the bus refused.
    bool serve(const PrivateBus& bus);
    void setAnswer(Answer answer) { answer_ = answer; }
    // Sends the session's Closed signal, as a desktop does when the teacher stops the sharing.
    void closeSession();

    static constexpr uint kNode = 42;
    static constexpr int kWidth = 1920;
    static constexpr int kHeight = 1080;

    QVariantMap lastSourceOptions() const; // what SelectSources was given
    QString lastTokenGiven() const;
    int starts() const;
    int closes() const; // Session.Close calls

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QString connectionName_;
    Answer answer_ = Answer::Share;
    int pipe_[2] = {-1, -1};
    mutable QMutex mutex_;
    QString session_;
    QVariantMap sourceOptions_;
    QString tokenGiven_;
    int starts_ = 0;
    int closes_ = 0;
};

} // namespace qmtest
