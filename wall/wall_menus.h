#pragma once
// The wall's two floating menus: the pen menu beside a zoomed slide and the wall menu of the folders named
// in "FloderInfo.ini". Each press is handed to the wall dialog as a command id.
#include <QWidget>

#include "wall/qmshow_export.h"

class QVBoxLayout;

#include <functional>

namespace lumo::show {

class QMSHOW_EXPORT WallMenuBase : public QWidget {
public:
    using Command = std::function<void(int id)>;
    WallMenuBase(QWidget* owner, const QString& title, Command command);
    // Rows of (id, Chinese caption, English caption).
    struct Item {
        int id;
        const char* chinese;
        const char* english;
    };
    void AddRow(std::initializer_list<Item> items);
    // The button of a command, for tests that press it as a user does.
    QWidget* Button(int id) const;
    // Places the menu at the bottom right of the owner's screen, margin pixels above its bottom edge.
    void PlaceAtBottomRight(int bottomMargin);

private:
    Command command_;
    QVBoxLayout* rows_;
};

class QMSHOW_EXPORT CPrivateMenu : public WallMenuBase {
public:
    CPrivateMenu(QWidget* owner, Command command);
};

class QMSHOW_EXPORT WallMenu : public WallMenuBase {
public:
    WallMenu(QWidget* owner, Command command);
};

} // namespace lumo::show
