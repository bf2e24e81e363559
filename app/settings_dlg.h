#pragma once
// The settings window (main menu 32808): the language, the pen a teacher starts with, where kept lessons go
// and how many stay, starting with the session, the monitor the panel opens on, and the recorder's microphone
// and frame rate, the windows' scale. OK and Apply store what is shown; Cancel stores nothing. The language
// changes at the next start, as does the scale, and the window says so.
#include "support/program_settings.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace UICONTROL {
class CColourButton;
}

namespace DIALOG {

class CSettingsDlg : public QDialog {
    Q_OBJECT
public:
    // Lists the sound server's microphones by name and description: 1 when a server answered, 0 when none
    // did, -1 when the recorder cannot be loaded. Runs off the user-interface thread.
    using SourceLister = std::function<int(QStringList* names, QStringList* descriptions)>;

    explicit CSettingsDlg(QWidget* owner, SourceLister lister = {});
    ~CSettingsDlg() override;

    // Stores what the window shows; false, after telling the teacher why, when something was not stored.
    bool Apply();
    // What the window shows, as it would be stored.
    settings::ProgramSettings Shown() const;
    QString ShownLanguage() const;
    bool ShownAutostart() const;
    // True once the microphone list has come (or it is known that there is none).
    bool MicrophonesListed() const { return microphonesListed_; }

    // The controls, for tests and the teacher's path through them.
    QComboBox* Language() const { return language_; }
    QComboBox* PenKind() const { return penKind_; }
    QSpinBox* PenWidth() const { return penWidth_; }
    UICONTROL::CColourButton* PenColour() const { return penColour_; }
    QLineEdit* KeptFolder() const { return keptFolder_; }
    QSpinBox* KeptCount() const { return keptCount_; }
    QCheckBox* Autostart() const { return autostart_; }
    QComboBox* Monitor() const { return monitor_; }
    QComboBox* Microphone() const { return microphone_; }
    QComboBox* FrameRate() const { return frameRate_; }
    QComboBox* Scale() const { return scale_; }
    QPushButton* ApplyButton() const { return apply_; }
    // The line that tells of a damaged settings file; hidden when the file was read whole.
    QLabel* DamageNote() const { return damageNote_; }
    QLabel* MicrophoneNote() const { return microphoneNote_; }

    void accept() override;

private:
    QWidget* buildPenRow();
    QWidget* buildKeptRow();
    QWidget* buildScaleRow();
    void buildButtons();
    void addRow(const QString& label, QWidget* field);
    // The control with its note in a line under it.
    QWidget* withNote(QWidget* control, QLabel* note);
    void load();
    void listMicrophones(SourceLister lister);
    void microphonesCame(int answer, const QStringList& names, const QStringList& descriptions);
    void chooseKeptFolder();
    void changed();
    void tell(const QString& text);

    QComboBox* language_ = nullptr;
    QComboBox* penKind_ = nullptr;
    QSpinBox* penWidth_ = nullptr;
    UICONTROL::CColourButton* penColour_ = nullptr;
    QLineEdit* keptFolder_ = nullptr;
    QSpinBox* keptCount_ = nullptr;
    QCheckBox* autostart_ = nullptr;
    QComboBox* monitor_ = nullptr;
    QComboBox* microphone_ = nullptr;
    QComboBox* frameRate_ = nullptr;
    QComboBox* scale_ = nullptr;
    QLabel* damageNote_ = nullptr;
    QLabel* languageNote_ = nullptr;
    QLabel* microphoneNote_ = nullptr;
    QPushButton* apply_ = nullptr;
    QFormLayout* form_ = nullptr;
    QString chosenMicrophone_;
    bool microphonesListed_ = false;
};

} // namespace DIALOG
