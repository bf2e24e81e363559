#pragma once
// A D-Bus session bus of the test's own (dbus-daemon with no services to start), and a stand-in for the
// desktop's Screenshot portal on it, so that the portal client is tried against every answer a desktop gives.
#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QImage>
#include <QMutex>
#include <QProcess>
#include <QTemporaryDir>
#include <QVariantMap>

namespace qmtest {

class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool started() const { return !address_.isEmpty(); }
    QString address() const { return address_; }
    // A connection of its own on the bus, under a name unique in this process.
    QDBusConnection connect(const QString& name) const;

private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
};

class FakeScreenshotPortal : public QDBusVirtualObject {
public:
    enum class Answer {
        Picture, // the response after the call's reply, naming a fresh picture file
        PictureBeforeReply, // the response sent before the call's reply
        Refuse, // response 1: the teacher or the desktop said no
        Silent, // no response at all
        BadUri, // success naming something that is no file
        MissingFile, // success naming a file that is not there
        OldFile, // success naming a picture file made long before the call
    };

    // Takes the portal's name on its own connection to the bus; false when the bus refused.
    bool serve(const PrivateBus& bus);

    void setAnswer(Answer answer) { answer_ = answer; }
    void setPicture(const QImage& picture) { picture_ = picture; }
    // The file the last answer named.
    QString lastFile() const;
    QVariantMap lastOptions() const;
    int calls() const;

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QString writePicture(const QString& name) const;

    QTemporaryDir dir_;
    QString connectionName_;
    Answer answer_ = Answer::Picture;
    QImage picture_;
    mutable QMutex mutex_;
    QString lastFile_;
    QVariantMap lastOptions_;
    int calls_ = 0;
};

// While it lives, the process takes its screen pictures as in a Wayland session, from a stand-in portal on a
// bus of its own that gives picture (or the answer set on portal()).
class PortalSession {
public:
    explicit PortalSession(const QImage& picture);
    ~PortalSession();
    PortalSession(const PortalSession&) = delete;
    PortalSession& operator=(const PortalSession&) = delete;

    bool ready() const { return ready_; }
    FakeScreenshotPortal& portal() { return portal_; }

private:
    PrivateBus bus_;
    FakeScreenshotPortal portal_;
    QString clientName_;
    QByteArray sessionType_;
    bool ready_ = false;
};

} // namespace qmtest
