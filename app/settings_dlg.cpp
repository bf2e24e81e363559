#include "app/settings_dlg.h"

#include "controls/colour_button.h"
#include "platform/autostart.h"
#include "platform/display_scale.h"
#include "platform/image_file.h"
#include "platform/message_box.h"
#include "platform/shell.h"
#include "recorder/recorder_exports.h"
#include "support/language.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QThreadPool>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace DIALOG {

namespace {

QString say(const char16_t* chinese, const char16_t* english)
{
    return IsEnglish() ? QString::fromUtf16(english) : QString::fromUtf16(chinese);
}

// The program's look: the panel's blue for the title strip, its light blue for the page, its buttons.
const QString kStyle
    = u"QDialog { background: #F4F8FD; }"
      " QLabel, QCheckBox { color: #10233F; font-size: 14px; }"
      " QLabel#title { background: #1B4C8C; color: white; font-size: 17px; padding: 10px 14px; }"
      " QLabel#damage { color: #B3261E; }"
      " QLabel#note { color: #4A5D78; font-size: 12px; }"
      " QComboBox, QSpinBox, QLineEdit { font-size: 14px; min-height: 26px; }"
      " QPushButton { background: #2761A9; color: white; border: none; border-radius: 5px;"
      " font-size: 14px; padding: 6px 18px; }"
      " QPushButton:pressed { background: #12A39A; }"
      " QPushButton:disabled { background: #9DB3D1; }"_s;

// The default entry first, then the items; an item not offered any more (a monitor or microphone not
// connected now) stays, marked, so that what the teacher chose is not lost by opening the window.
void selectOrKeep(QComboBox* box, const QString& value)
{
    int index = box->findData(value);
    if (index < 0) {
        box->addItem(value + say(u"（未连接）", u" (not connected)"), value);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
}

} // namespace

CSettingsDlg::CSettingsDlg(QWidget* owner, SourceLister lister)
    : QDialog(owner)
{
    setWindowTitle(say(u"设置", u"Settings"));
    setWindowIcon(QIcon(platform::ownPixmap(u":/skin/app/quillmark.png"_s)));
    setStyleSheet(kStyle);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 12);
    // The window takes the size of its rows: one the window manager cannot resize gets no handle, the strip
    // of frame that otherwise lies under the buttons.
    page->setSizeConstraint(QLayout::SetFixedSize);
    auto* title = new QLabel(say(u"白板设置", u"Whiteboard settings"), this);
    title->setObjectName(u"title"_s);
    page->addWidget(title);
    damageNote_ = new QLabel(this);
    damageNote_->setObjectName(u"damage"_s);
    damageNote_->setWordWrap(true);
    damageNote_->setContentsMargins(14, 0, 14, 0);
    page->addWidget(damageNote_);
    form_ = new QFormLayout;
    form_->setContentsMargins(14, 6, 14, 6);
    form_->setVerticalSpacing(10);
    page->addLayout(form_);

    language_ = new QComboBox(this);
    language_->addItem(u"中文"_s, u"Chinese"_s);
    language_->addItem(u"English"_s, u"English"_s);
    languageNote_ = new QLabel(
        say(u"语言在下次启动白板时改变。", u"The language changes when the whiteboard starts next."), this);
    languageNote_->setObjectName(u"note"_s);
    addRow(say(u"语言", u"Language"), withNote(language_, languageNote_));
    addRow(say(u"起始的笔", u"Starting pen"), buildPenRow());
    addRow(say(u"保存的课", u"Kept lessons"), buildKeptRow());
    keptCount_ = new QSpinBox(this);
    keptCount_->setRange(settings::kMinKeptLessons, settings::kMaxKeptLessons);
    addRow(say(u"保留的课数", u"Lessons kept"), keptCount_);
    autostart_ = new QCheckBox(say(u"登录时启动白板", u"Start the whiteboard when I log in"), this);
    addRow(QString(), autostart_);

    monitor_ = new QComboBox(this);
    monitor_->addItem(say(u"主显示器", u"The primary monitor"), QString());
    for (const QScreen* screen : QGuiApplication::screens())
        monitor_->addItem(
            u"%1 (%2 × %3)"_s.arg(screen->name()).arg(screen->size().width()).arg(screen->size().height()),
            screen->name());
    addRow(say(u"面板所在的显示器", u"Panel opens on"), monitor_);

    microphone_ = new QComboBox(this);
    microphone_->addItem(say(u"系统默认的麦克风", u"The system's default microphone"), QString());
    microphoneNote_ = new QLabel(say(u"正在查找麦克风…", u"Looking for microphones…"), this);
    microphoneNote_->setObjectName(u"note"_s);
    addRow(say(u"录音的麦克风", u"Recording microphone"), withNote(microphone_, microphoneNote_));

    frameRate_ = new QComboBox(this);
    for (int rate : settings::kFrameRates)
        frameRate_->addItem(say(u"每秒 %1 帧", u"%1 frames a second").arg(rate), rate);
    addRow(say(u"录屏的帧率", u"Recording frame rate"), frameRate_);
    addRow(say(u"显示比例", u"Display scale"), buildScaleRow());

    buildButtons();
    page->addStretch();
    load();
    listMicrophones(lister ? std::move(lister) : SourceLister(GetSoundSources));
    apply_->setEnabled(false);
}

CSettingsDlg::~CSettingsDlg() = default;

void CSettingsDlg::addRow(const QString& label, QWidget* field)
{
    form_->addRow(label.isEmpty() ? QString() : label + u":"_s, field);
}

QWidget* CSettingsDlg::withNote(QWidget* control, QLabel* note)
{
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(control);
    column->addWidget(note);
    return box;
}

QWidget* CSettingsDlg::buildPenRow()
{
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    penKind_ = new QComboBox(box);
    penKind_->setIconSize(QSize(24, 24));
    const auto icon
        = [](int id) { return QIcon(platform::ownPixmap(u":/skin/tool/p11_%1_normal.png"_s.arg(id))); };
    penKind_->addItem(icon(1054), say(u"钢笔", u"Pen"), int(settings::PenKind::Pen));
    penKind_->addItem(icon(1056), say(u"虚线笔", u"Dashed pen"), int(settings::PenKind::Dashed));
    penKind_->addItem(icon(1055), say(u"荧光笔", u"Highlighter"), int(settings::PenKind::Highlighter));
    penWidth_ = new QSpinBox(box);
    penWidth_->setRange(settings::kMinPenWidth, settings::kMaxPenWidth);
    penWidth_->setSuffix(say(u" 像素", u" px"));
    penColour_ = new UICONTROL::CColourButton(0, box);
    penColour_->setMinimumSize(48, 28);
    penColour_->SetTexts(say(u"红色", u"Red"), say(u"其他颜色...", u"More colours..."));
    penColour_->SetAutomaticColor(RGB(255, 0, 0));
    row->addWidget(penKind_, 1);
    row->addWidget(penWidth_);
    row->addWidget(penColour_);
    return box;
}

QWidget* CSettingsDlg::buildScaleRow()
{
    scale_ = new QComboBox(this);
    scale_->addItem(say(u"自动（跟随桌面）", u"Automatic (the desktop's)"), 0.0);
    for (const double choice : platform::kScaleChoices)
        scale_->addItem(u"%1 %"_s.arg(qRound(choice * 100)), choice);
    // Qt takes its scale once, before the first window: a new one needs a new start.
    auto* note = new QLabel(
        say(u"显示比例在下次启动白板时改变。", u"The scale changes when the whiteboard starts next."), this);
    note->setObjectName(u"note"_s);
    return withNote(scale_, note);
}

QWidget* CSettingsDlg::buildKeptRow()
{
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    keptFolder_ = new QLineEdit(box);
    keptFolder_->setMinimumWidth(300);
    auto* browse = new QPushButton(say(u"浏览...", u"Browse..."), box);
    browse->setObjectName(u"browse"_s);
    connect(browse, &QPushButton::clicked, this, &CSettingsDlg::chooseKeptFolder);
    row->addWidget(keptFolder_, 1);
    row->addWidget(browse);
    return box;
}

void CSettingsDlg::buildButtons()
{
    auto* row = new QHBoxLayout;
    row->setContentsMargins(14, 6, 14, 0);
    row->addStretch();
    auto* ok = new QPushButton(say(u"确定", u"OK"), this);
    ok->setObjectName(u"ok"_s);
    ok->setDefault(true);
    auto* cancel = new QPushButton(say(u"取消", u"Cancel"), this);
    cancel->setObjectName(u"cancel"_s);
    apply_ = new QPushButton(say(u"应用", u"Apply"), this);
    apply_->setObjectName(u"apply"_s);
    for (QPushButton* button : {ok, cancel, apply_})
        row->addWidget(button);
    static_cast<QVBoxLayout*>(layout())->addLayout(row);
    connect(ok, &QPushButton::clicked, this, &CSettingsDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CSettingsDlg::reject);
    connect(apply_, &QPushButton::clicked, this, &CSettingsDlg::Apply);
}

void CSettingsDlg::load()
{
    const settings::SettingsRead read = settings::ReadSettings();
    const settings::ProgramSettings& v = read.values;
    damageNote_->setText(settings::UnreadableSettingsText(settings::SettingsFile(), read.unreadable));
    damageNote_->setVisible(!read.unreadable.isEmpty());
    const QString language = LanguageAtNextStart();
    int index = language_->findData(language, Qt::UserRole, Qt::MatchFixedString);
    if (index < 0) {
        language_->addItem(language, language);
        index = language_->count() - 1;
    }
    language_->setCurrentIndex(index);
    penKind_->setCurrentIndex(penKind_->findData(int(v.penKind)));
    penWidth_->setValue(v.penWidth);
    penColour_->SetColor(v.penColour);
    keptFolder_->setText(QDir::toNativeSeparators(settings::KeptLessonsFolderOf(v)));
    keptCount_->setValue(v.keptLessons);
    autostart_->setChecked(platform::autostartOn());
    selectOrKeep(monitor_, v.monitor);
    chosenMicrophone_ = v.microphone;
    selectOrKeep(microphone_, v.microphone);
    frameRate_->setCurrentIndex(std::max(0, frameRate_->findData(v.frameRate)));
    scale_->setCurrentIndex(std::max(0, scale_->findData(v.scale)));

    for (QComboBox* box : {language_, penKind_, monitor_, microphone_, frameRate_, scale_})
        connect(box, &QComboBox::currentIndexChanged, this, &CSettingsDlg::changed);
    for (QSpinBox* box : {penWidth_, keptCount_})
        connect(box, &QSpinBox::valueChanged, this, &CSettingsDlg::changed);
    connect(penColour_, &UICONTROL::CColourButton::colourChosen, this, &CSettingsDlg::changed);
    connect(keptFolder_, &QLineEdit::textEdited, this, &CSettingsDlg::changed);
    connect(autostart_, &QCheckBox::toggled, this, &CSettingsDlg::changed);
}

void CSettingsDlg::listMicrophones(SourceLister lister)
{
    // The sound server may take seconds to answer, or never: the window does not wait for it.
    QPointer<CSettingsDlg> self(this);
    QThreadPool::globalInstance()->start([self, lister = std::move(lister)] {
        QStringList names, descriptions;
        const int answer = lister(&names, &descriptions);
        QMetaObject::invokeMethod(
            qApp,
            [self, answer, names, descriptions] {
                if (self)
                    self->microphonesCame(answer, names, descriptions);
            },
            Qt::QueuedConnection);
    });
}

void CSettingsDlg::microphonesCame(int answer, const QStringList& names, const QStringList& descriptions)
{
    const QSignalBlocker quiet(microphone_);
    const QString shown = microphone_->currentData().toString();
    while (microphone_->count() > 1)
        microphone_->removeItem(1);
    for (qsizetype i = 0; i < names.size(); ++i)
        microphone_->addItem(descriptions.value(i, names[i]), names[i]);
    selectOrKeep(microphone_, shown);
    microphonesListed_ = true;
    if (answer < 0)
        microphoneNote_->setText(say(u"录屏程序无法加载，无法列出麦克风。",
            u"The recorder could not be loaded to list the microphones."));
    else if (answer == 0)
        microphoneNote_->setText(
            say(u"没有声音服务器：录屏将没有声音。", u"No sound server: recordings will have no sound."));
    else if (names.isEmpty())
        microphoneNote_->setText(
            say(u"没有麦克风：录屏将没有声音。", u"No microphone: recordings will have no sound."));
    microphoneNote_->setVisible(answer <= 0 || names.isEmpty());
}

void CSettingsDlg::chooseKeptFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(
        this, say(u"保存的课放在哪里", u"Where kept lessons go"), keptFolder_->text());
    if (folder.isEmpty())
        return;
    keptFolder_->setText(QDir::toNativeSeparators(folder));
    changed();
}

void CSettingsDlg::changed()
{
    apply_->setEnabled(true);
    QFont font = languageNote_->font();
    font.setBold(ShownLanguage().compare(GetLanguage(), Qt::CaseInsensitive) != 0);
    languageNote_->setFont(font);
}

settings::ProgramSettings CSettingsDlg::Shown() const
{
    settings::ProgramSettings v;
    v.penKind = settings::PenKind(penKind_->currentData().toInt());
    v.penWidth = penWidth_->value();
    v.penColour = penColour_->Color();
    QString folder = QDir::fromNativeSeparators(keptFolder_->text().trimmed());
    if (folder.startsWith(u"~/"_s))
        folder = QDir::homePath() + folder.mid(1);
    const settings::ProgramSettings defaults;
    // The default folder is stored as no folder, so that it follows $XDG_DATA_HOME.
    v.keptLessonsFolder
        = folder.isEmpty() || QDir::cleanPath(folder) == settings::KeptLessonsFolderOf(defaults)
        ? QString()
        : QDir::cleanPath(folder);
    v.keptLessons = keptCount_->value();
    v.monitor = monitor_->currentData().toString();
    v.microphone = microphone_->currentData().toString();
    v.frameRate = frameRate_->currentData().toInt();
    v.scale = scale_->currentData().toDouble();
    return v;
}

QString CSettingsDlg::ShownLanguage() const
{
    return language_->currentData().toString();
}

bool CSettingsDlg::ShownAutostart() const
{
    return autostart_->isChecked();
}

bool CSettingsDlg::Apply()
{
    const settings::ProgramSettings v = Shown();
    const QString folder = settings::KeptLessonsFolderOf(v);
    if (!QDir::isAbsolutePath(folder)) {
        tell(say(u"保存的课的文件夹要写完整的路径（以 / 开头）：%1",
            u"The folder for kept lessons needs a full path (starting with /): %1")
                 .arg(keptFolder_->text()));
        return false;
    }
    if (!QDir().mkpath(folder)) {
        tell(say(u"无法创建保存课的文件夹 %1。", u"The folder for kept lessons %1 cannot be made.")
                 .arg(folder));
        return false;
    }
    if (!settings::WriteSettings(v)) {
        tell(say(u"设置无法保存到 %1。", u"The settings cannot be stored in %1.")
                 .arg(settings::SettingsFile()));
        return false;
    }
    if (ShownLanguage() != LanguageAtNextStart() && !SetLanguageAtNextStart(ShownLanguage())) {
        tell(say(u"语言无法保存到 Language.ini。", u"The language cannot be stored in Language.ini."));
        return false;
    }
    if (ShownAutostart() != platform::autostartOn()
        && !platform::setAutostart(ShownAutostart(), platform::programFilePath())) {
        tell(say(u"无法更改登录时启动的设置（%1）。", u"Starting at login cannot be changed (%1).")
                 .arg(platform::autostartFile()));
        return false;
    }
    damageNote_->hide();
    apply_->setEnabled(false);
    return true;
}

void CSettingsDlg::accept()
{
    if (Apply())
        QDialog::accept();
}

void CSettingsDlg::tell(const QString& text)
{
    platform::MessageBox(this, text, say(u"提示", u"Tips"), platform::MB_OK | platform::MB_ICONWARNING);
}

} // namespace DIALOG
