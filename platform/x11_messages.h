#pragma once
// The X side of the message layer, kept out of messages.cpp so that no X header meets Qt code. Internal to
// qmplatform: nothing here is exported.
#include "platform/win_types.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {
class MessageTable;
}

namespace platform::x11 {

// Bits of data.l[3] of a QM_WINDOW_MESSAGE client message.
constexpr std::uint32_t kRegisteredFlag = 0x1; // l[0] is the atom of a registered name
constexpr std::uint32_t kCopyDataFlag = 0x2; // l[2] names a property of the window l[4]

// Messages from other processes pending at most; beyond this they are dropped.
constexpr int kMaxPending = 10000;

// An X display this process can talk to (a connection of the layer's own).
bool available();
UINT internAtom(const QString& name);

bool sendMessage(unsigned long target, UINT message, WPARAM wParam, LPARAM lParam, bool registered);
// 1 once the receiver has read and deleted the text, else 0.
LRESULT sendCopyData(unsigned long target, WPARAM wParam, const QByteArray& utf8);

// Writes the table's class, and the other titles it answers to, on the window so that other processes find
// it.
void publishClass(unsigned long xid, const QString& className);
void publishOtherTitles(unsigned long xid, const QStringList& titles);
// Hooks the client messages of the running Qt application once it is on xcb; safe to call again.
void ensureReceiver();

unsigned long findDesktopWindow(const QString& className, const QString& title);
bool windowExists(unsigned long xid);
bool windowViewable(unsigned long xid);

// Implemented by messages.cpp: the table of this process whose top-level window is xid.
MessageTable* tableForWindow(unsigned long xid);

} // namespace platform::x11
