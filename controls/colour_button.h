#pragma once
// A drop-down colour picker: a button showing the chosen colour whose menu offers the automatic colour, a
// palette and an entry that opens the full colour dialog.
#include "platform/win_types.h"

#include <QToolButton>

#include <functional>

class QMenu;

namespace UICONTROL {

class CColourButton : public QToolButton {
    Q_OBJECT
public:
    CColourButton(int id, QWidget* parent);

    int id() const { return id_; }
    COLORREF Color() const { return colour_; }
    void SetColor(COLORREF colour);
    COLORREF AutomaticColor() const { return automatic_; }
    void SetAutomaticColor(COLORREF colour);
    // The captions of the automatic entry and of the entry that opens the colour dialog.
    void SetTexts(const QString& automaticText, const QString& customText);
    // Opens the full colour dialog with a start colour; returns false when the user cancelled.
    void SetCustomChooser(std::function<bool(COLORREF start, COLORREF* chosen)> chooser);

    // What the menu's entries do, also for tests.
    void ChooseAutomatic();
    void ChooseColor(COLORREF colour);
    void ChooseCustom();
    QMenu* Menu() const { return menu_; }

signals:
    // A colour was chosen: stored in the button already.
    void colourChosen(COLORREF colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void buildMenu();

    int id_;
    COLORREF colour_ = 0;
    COLORREF automatic_ = 0;
    QString automaticText_;
    QString customText_;
    QMenu* menu_ = nullptr;
    std::function<bool(COLORREF, COLORREF*)> chooser_;
};

} // namespace UICONTROL
