#include "tests/ui/skinform_fixture.h"

#include "ui/qt/hotkey_edit.h"
#include "ui/qt/hotlinkbutton.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QTimer>

#include <filesystem>
#include <map>
#include <optional>

namespace ornavox::test {
namespace {

const QColor kPeach(255, 239, 227);
const QColor kLime(0, 255, 0);
const QColor kWhite(255, 255, 255);
const QColor kBlue(0, 0, 255);

enum class Size { Fixed, Auto };

struct Font {
    const char* family;
    int pixels;
    bool bold;
};
const Font kMs{"MS Sans Serif", 11, false};

struct Row {
    const char* name;
    const char* kind;
    const char* parent;
    QRect place;
    Size size;
    const char* text; // nullptr: start-up changes it
    const char* hint;
    std::optional<Font> font;
    std::optional<QColor> text_colour;
    std::optional<QColor> background;
    int list = 0; // image list 1..4 of an image-list button
    int imageid = 0;
};

constexpr const char* kLabel = "QLabel";
constexpr const char* kButton = "ornavox::Thotlinkbutton";
constexpr const char* kForm = "skinForm";

// Every control as laid out, back to front within each parent.
const Row kRows[] = {
    {"background", kLabel, kForm, {0, 0, 351, 124}, Size::Fixed, "", "", {}, {}, {}},
    {"Label3",
     kLabel,
     kForm,
     {18, 32, 0, 0},
     Size::Auto,
     "Ready",
     "Time code showing",
     Font{"Arial Black", 37, true},
     kLime,
     {}},
    {"hotlinkbutton1",
     kButton,
     kForm,
     {219, 94, 24, 24},
     Size::Fixed,
     nullptr,
     "Playback the what recorded.",
     {},
     {},
     {},
     1,
     0},
    {"Label1", kLabel, kForm, {20, 75, 317, 13}, Size::Fixed, "", "", kMs, kWhite, {}},
    {"hotlinkbutton3",
     kButton,
     kForm,
     {193, 94, 24, 24},
     Size::Fixed,
     nullptr,
     "Record  what playback",
     {},
     {},
     {},
     1,
     2},
    {"hotlinkbutton5",
     kButton,
     kForm,
     {271, 94, 24, 24},
     Size::Fixed,
     nullptr,
     "Infomartion of the software.",
     {},
     {},
     {},
     1,
     4},
    {"hotlinkbutton6",
     kButton,
     kForm,
     {297, 94, 24, 24},
     Size::Fixed,
     nullptr,
     "https://ornavox.example/",
     {},
     {},
     {},
     1,
     5},
    {"hotlinkbutton7", kButton, kForm, {323, 94, 24, 24}, Size::Fixed, nullptr, "Saveto mp3 file?", {}, {}, {}, 1, 6},
    {"hotlinkbutton8",
     kButton,
     kForm,
     {0, 95, 186, 27},
     Size::Fixed,
     nullptr,
     "Visiter our web for more",
     {},
     {},
     {},
     2,
     0},
    {"hotlinkbutton2", kButton, kForm, {20, 3, 64, 20}, Size::Fixed, nullptr, "Pull down menu", {}, {}, {}, 3, 0},
    {"hotlinkbutton9", kButton, kForm, {86, 3, 64, 20}, Size::Fixed, nullptr, "Show sound mixer", {}, {}, {}, 3, 1},
    {"hotlinkbutton10",
     kButton,
     kForm,
     {152, 3, 64, 20},
     Size::Fixed,
     nullptr,
     "Record in music  mode.",
     {},
     {},
     {},
     3,
     2},
    {"hotlinkbutton11", kButton, kForm, {218, 3, 64, 20}, Size::Fixed, nullptr, "Config the options", {}, {}, {}, 3, 4},
    {"hotlinkbutton12", kButton, kForm, {286, 5, 18, 18}, Size::Fixed, nullptr, "Need help?", {}, {}, {}, 4, 0},
    {"hotlinkbutton13", kButton, kForm, {306, 5, 18, 18}, Size::Fixed, nullptr, "Hide me!", {}, {}, {}, 4, 1},
    {"hotlinkbutton14",
     kButton,
     kForm,
     {326, 5, 18, 18},
     Size::Fixed,
     nullptr,
     "Quit the application.",
     {},
     {},
     {},
     4,
     2},
    {"Label4",
     kLabel,
     kForm,
     {220, 32, 0, 0},
     Size::Auto,
     "MP3 44100 hz 128kbps",
     "MP3 compress format",
     kMs,
     kWhite,
     {}},
    {"Label5",
     kLabel,
     kForm,
     {220, 48, 0, 0},
     Size::Auto,
     "Idle",
     "Application status",
     Font{"Arial", 13, false},
     kBlue,
     {}},
    {"Label7",
     kLabel,
     kForm,
     {220, 64, 121, 13},
     Size::Fixed,
     "Filesize:0",
     "MP3 file size/Playback time",
     kMs,
     kWhite,
     {}},
    {"hotlinkbutton4",
     kButton,
     kForm,
     {244, 93, 24, 24},
     Size::Fixed,
     nullptr,
     "Stop record/playback",
     {},
     {},
     {},
     1,
     3},
    {"Label6", kLabel, kForm, {22, 32, 0, 0}, Size::Auto, nullptr, "", kMs, kWhite, {}},

    {"GroupBox1", "QGroupBox", kForm, {1, 125, 349, 52}, Size::Fixed, "Select the record source", "", kMs, {}, kPeach},
    {"Label10", kLabel, "GroupBox1", {8, 32, 0, 0}, Size::Auto, "Recording level", "", kMs, {}, kPeach},
    {"SpeedButton3",
     "QPushButton",
     "GroupBox1",
     {320, 11, 25, 22},
     Size::Fixed,
     "<--",
     "Auto detect sound card source",
     kMs,
     {},
     kPeach},
    {"RadioButton1", "QRadioButton", "GroupBox1", {8, 13, 73, 17}, Size::Fixed, "Line in", "", kMs, {}, kPeach},
    {"RadioButton2", "QRadioButton", "GroupBox1", {64, 13, 81, 17}, Size::Fixed, "Microphone", "", kMs, {}, kPeach},
    {"RadioButton3", "QRadioButton", "GroupBox1", {144, 13, 81, 17}, Size::Fixed, "CD audio", "", kMs, {}, kPeach},
    {"RadioButton4", "QRadioButton", "GroupBox1", {216, 13, 33, 17}, Size::Fixed, "", "", kMs, {}, kPeach},
    {"ComboBox1", "QComboBox", "GroupBox1", {232, 11, 85, 21}, Size::Fixed, "Unkown", "", kMs, {}, {}},
    {"TrackBar1", "QSlider", "GroupBox1", {123, 32, 196, 17}, Size::Fixed, nullptr, "", kMs, {}, kPeach},
    {"ScrollBox1", "QScrollArea", kForm, {0, 176, 350, 137}, Size::Fixed, nullptr, "", kMs, {}, {}},

    {"GroupBox2", "QGroupBox", kForm, {352, 0, 279, 124}, Size::Fixed, "Save to mp3 file", "", kMs, {}, kPeach},
    {"Edit1", "QLineEdit", "GroupBox2", {8, 16, 241, 21}, Size::Fixed, nullptr, "", kMs, {}, {}},
    {"SpeedButton1",
     "QPushButton",
     "GroupBox2",
     {252, 16, 23, 22},
     Size::Fixed,
     "...",
     "chang save file name",
     kMs,
     {},
     kPeach},
    {"ComboBox2", "QComboBox", "GroupBox2", {8, 40, 57, 21}, Size::Fixed, "44100", "", kMs, {}, {}},
    {"Label8", kLabel, "GroupBox2", {64, 44, 0, 0}, Size::Auto, "Hz", "", kMs, {}, kPeach},
    {"ComboBox3", "QComboBox", "GroupBox2", {80, 40, 57, 21}, Size::Fixed, "128", "", kMs, {}, {}},
    {"Label9", kLabel, "GroupBox2", {136, 44, 0, 0}, Size::Auto, "kbps", "", kMs, {}, kPeach},
    {"Label11", kLabel, "GroupBox2", {160, 44, 0, 0}, Size::Auto, "Stereo Mp3 CBR", "", kMs, {}, kPeach},
    {"Label12", kLabel, "GroupBox2", {8, 64, 0, 0}, Size::Auto, "Record/Pause", "", kMs, {}, kPeach},
    {"HotKey1", "ornavox::THotKey", "GroupBox2", {80, 62, 89, 19}, Size::Fixed, "Shift+Ctrl+F9", "", kMs, {}, {}},
    {"Label13", kLabel, "GroupBox2", {8, 84, 0, 0}, Size::Auto, "Stop record", "", kMs, {}, kPeach},
    {"HotKey2", "ornavox::THotKey", "GroupBox2", {80, 82, 89, 19}, Size::Fixed, "Shift+Ctrl+F10", "", kMs, {}, {}},
    {"Label14", kLabel, "GroupBox2", {8, 104, 0, 0}, Size::Auto, "Show me", "", kMs, {}, kPeach},
    {"HotKey3", "ornavox::THotKey", "GroupBox2", {80, 102, 89, 19}, Size::Fixed, "Shift+Ctrl+F11", "", kMs, {}, {}},
};

QString text_of(const QWidget* w)
{
    if (const auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (const auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (const auto* c = qobject_cast<const QComboBox*>(w))
        return c->currentText();
    if (const auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    return {};
}

// The hint line's text for a display label or a picture button (the window's
// logic keeps it), the tooltip for any other control.
QString shown_hint(const TskinForm& form, const QWidget* w)
{
    if (qobject_cast<const QLabel*>(w) || qobject_cast<const Thotlinkbutton*>(w))
        return QString::fromStdString(form.hint_of(control_named(w->objectName().toStdString())));
    return w->toolTip();
}

class SkinWindowLayoutTest : public SkinWindowTest {};

TEST_F(SkinWindowLayoutTest, EveryControlIsLaidOutAsTheTablesSay)
{
    create();
    const std::map<std::string, QWidget*> members = {{"background", window->background},
                                                     {"Label1", window->Label1},
                                                     {"Label3", window->Label3},
                                                     {"Label4", window->Label4},
                                                     {"Label5", window->Label5},
                                                     {"Label6", window->Label6},
                                                     {"Label7", window->Label7},
                                                     {"Label8", window->Label8},
                                                     {"Label9", window->Label9},
                                                     {"Label10", window->Label10},
                                                     {"Label11", window->Label11},
                                                     {"Label12", window->Label12},
                                                     {"Label13", window->Label13},
                                                     {"Label14", window->Label14},
                                                     {"hotlinkbutton1", window->hotlinkbutton1},
                                                     {"hotlinkbutton2", window->hotlinkbutton2},
                                                     {"hotlinkbutton3", window->hotlinkbutton3},
                                                     {"hotlinkbutton4", window->hotlinkbutton4},
                                                     {"hotlinkbutton5", window->hotlinkbutton5},
                                                     {"hotlinkbutton6", window->hotlinkbutton6},
                                                     {"hotlinkbutton7", window->hotlinkbutton7},
                                                     {"hotlinkbutton8", window->hotlinkbutton8},
                                                     {"hotlinkbutton9", window->hotlinkbutton9},
                                                     {"hotlinkbutton10", window->hotlinkbutton10},
                                                     {"hotlinkbutton11", window->hotlinkbutton11},
                                                     {"hotlinkbutton12", window->hotlinkbutton12},
                                                     {"hotlinkbutton13", window->hotlinkbutton13},
                                                     {"hotlinkbutton14", window->hotlinkbutton14},
                                                     {"GroupBox1", window->GroupBox1},
                                                     {"GroupBox2", window->GroupBox2},
                                                     {"ScrollBox1", window->ScrollBox1},
                                                     {"RadioButton1", window->RadioButton1},
                                                     {"RadioButton2", window->RadioButton2},
                                                     {"RadioButton3", window->RadioButton3},
                                                     {"RadioButton4", window->RadioButton4},
                                                     {"ComboBox1", window->ComboBox1},
                                                     {"ComboBox2", window->ComboBox2},
                                                     {"ComboBox3", window->ComboBox3},
                                                     {"TrackBar1", window->TrackBar1},
                                                     {"SpeedButton1", window->SpeedButton1},
                                                     {"SpeedButton3", window->SpeedButton3},
                                                     {"Edit1", window->Edit1},
                                                     {"HotKey1", window->HotKey1},
                                                     {"HotKey2", window->HotKey2},
                                                     {"HotKey3", window->HotKey3}};
    const std::map<int, TImageList*> lists = {
        {1, &window->ImageList1}, {2, &window->ImageList2}, {3, &window->ImageList3}, {4, &window->ImageList4}};

    ASSERT_EQ(members.size(), std::size(kRows));
    std::map<std::string, int> order; // position among the parent's children
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        auto* w = window->findChild<QWidget*>(QString::fromLatin1(row.name));
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w, members.at(row.name));
        EXPECT_STREQ(w->metaObject()->className(), row.kind);
        EXPECT_EQ(w->parentWidget()->objectName(), QString::fromLatin1(row.parent));
        const int index = static_cast<int>(w->parentWidget()->children().indexOf(w));
        order.try_emplace(row.parent, -1);
        EXPECT_GT(index, order[row.parent]) << "drawn in front of the row before it";
        order[row.parent] = index;

        EXPECT_EQ(w->pos(), row.place.topLeft());
        if (row.size == Size::Fixed) {
            EXPECT_EQ(w->size(), row.place.size());
        } else {
            EXPECT_EQ(w->size(), w->sizeHint()) << "sizes itself to its text";
        }
        if (row.text) {
            EXPECT_EQ(text_of(w), QString::fromLatin1(row.text));
        }
        EXPECT_EQ(shown_hint(form(), w), QString::fromLatin1(row.hint));
        if (row.font) {
            EXPECT_EQ(w->font().family(), QString::fromLatin1(row.font->family));
            EXPECT_EQ(w->font().pixelSize(), row.font->pixels);
            EXPECT_EQ(w->font().bold(), row.font->bold);
        }
        if (row.text_colour) {
            EXPECT_EQ(w->palette().color(QPalette::WindowText), *row.text_colour);
        }
        if (row.background) {
            EXPECT_EQ(w->palette().color(QPalette::Window), *row.background);
        }
        if (qobject_cast<QLabel*>(w)) {
            EXPECT_FALSE(w->autoFillBackground()) << "labels are transparent";
        }
        if (auto* b = qobject_cast<Thotlinkbutton*>(w)) {
            EXPECT_EQ(b->buttonimage(), lists.at(row.list));
            EXPECT_EQ(b->imageid(), row.imageid);
            EXPECT_EQ(b->buttonstate(), 0);
            EXPECT_TRUE(b->transparent());
            EXPECT_FALSE(b->picture().isNull()) << "initial face from the skin";
        }
    }
    EXPECT_TRUE(messages.messages.empty()) << messages.messages.front();
}

TEST_F(SkinWindowLayoutTest, WindowPanelsAndComponentsAsLaidOut)
{
    create();
    EXPECT_EQ(window->windowTitle(), "skinForm");
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window->pos(), QPoint(49, 148));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "the user cannot resize it";
    EXPECT_FALSE(window->windowIcon().isNull());
    EXPECT_EQ(window->font().family(), "MS Sans Serif");
    EXPECT_EQ(window->font().pixelSize(), 11);

    EXPECT_EQ(window->Label1->wordWrap(), false);
    EXPECT_TRUE(window->GroupBox1->autoFillBackground());
    EXPECT_TRUE(window->GroupBox2->autoFillBackground());
    EXPECT_EQ(window->ScrollBox1->viewport()->palette().color(QPalette::Window), kPeach);
    EXPECT_TRUE(window->SpeedButton3->isFlat());
    EXPECT_TRUE(window->RadioButton4->isChecked());

    EXPECT_EQ(window->TrackBar1->orientation(), Qt::Horizontal);
    EXPECT_EQ(window->TrackBar1->minimum(), 0);
    EXPECT_EQ(window->TrackBar1->maximum(), 65535);
    EXPECT_EQ(window->TrackBar1->value(), 0);
    EXPECT_EQ(window->TrackBar1->singleStep(), 256);
    EXPECT_EQ(window->TrackBar1->pageStep(), 4096);
    EXPECT_EQ(window->TrackBar1->tickInterval(), 4096);
    EXPECT_EQ(window->TrackBar1->tickPosition(), QSlider::TicksBelow);

    auto items = [](QComboBox* box) {
        QStringList all;
        for (int i = 0; i < box->count(); ++i)
            all << box->itemText(i);
        return all;
    };
    EXPECT_TRUE(window->ComboBox1->isEditable());
    EXPECT_EQ(items(window->ComboBox1), QStringList{});
    EXPECT_EQ(items(window->ComboBox2), (QStringList{"44100", "48000", "32000"}));
    EXPECT_EQ(items(window->ComboBox3), (QStringList{"128", "96", "160", "192", "256"}));
    EXPECT_TRUE(window->ComboBox2->isEditable());
    EXPECT_TRUE(window->ComboBox3->isEditable());

    // Keyboard focus runs through the panels in the laid-out tab order.
    const std::vector<QWidget*> tab_order = {
        window->ScrollBox1, window->RadioButton1, window->RadioButton2, window->RadioButton3, window->RadioButton4,
        window->ComboBox1,  window->TrackBar1,    window->Edit1,        window->ComboBox2,    window->ComboBox3,
        window->HotKey1,    window->HotKey2,      window->HotKey3};
    std::vector<QWidget*> visited;
    QWidget* w = window->ScrollBox1;
    do {
        for (QWidget* control : tab_order)
            if ((w == control || control->isAncestorOf(w))
                && std::find(visited.begin(), visited.end(), control) == visited.end())
                visited.push_back(control);
        w = w->nextInFocusChain();
    } while (w != window->ScrollBox1);
    EXPECT_EQ(visited, tab_order);

    ASSERT_EQ(window->PopupMenu1->actions().size(), 3);
    const std::pair<QAction*, const char*> menu[] = {
        {window->abc1, "Show Mixer"}, {window->help1, "Help"}, {window->exit1, "Exit"}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(window->PopupMenu1->actions()[i], menu[i].first);
        EXPECT_EQ(menu[i].first->text(), menu[i].second);
    }
    EXPECT_EQ(window->abc1->objectName(), "abc1");
    EXPECT_EQ(window->hotlinkbutton2->popupMenu(), window->PopupMenu1);
    EXPECT_TRUE(form().Timer1->running());

    EXPECT_EQ(window->ImageList1.count(), 28);
    EXPECT_EQ(window->ImageList2.count(), 4);
    EXPECT_EQ(window->ImageList3.count(), 20);
    EXPECT_EQ(window->ImageList4.count(), 12);
    EXPECT_EQ(window->ImageList2.width(), 186);
    EXPECT_EQ(window->ImageList2.height(), 29);

    ASSERT_NE(form().audiorec1, nullptr);
    EXPECT_EQ(form().audiorec1->filename, "001.mp3");
    EXPECT_EQ(form().audiorec1->state, 0);
    EXPECT_EQ(form().audiorec1->samples, 0);
    EXPECT_EQ(form().audiorec1->bps, 0);
    EXPECT_TRUE(form().audiorec1->encoder_available()) << "the plug-in beside the program is loaded";
}

// The layout names Windows faces; the skin's font settings give them the
// installed faces that fill the same boxes.
TEST_F(SkinWindowLayoutTest, WindowsFaceNamesResolveToTheMappedFaces)
{
    create();
    EXPECT_EQ(QFontInfo(window->Label4->font()).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(window->Label5->font()).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(window->Label3->font()).family(), "DejaVu Sans");
    EXPECT_TRUE(QFontInfo(window->Label3->font()).bold());
    EXPECT_EQ(QFontInfo(window->Label3->font()).pixelSize(), 37);
}

TEST_F(SkinWindowLayoutTest, DisplayLabelsSizeThemselvesExceptTheHintAndSizeLines)
{
    create();
    window->show();
    const QString long_path = QStringLiteral("/a/very/long/folder/name/that/goes/on/and/on/and/on/save.mp3");
    window->Label1->setText(long_path);
    window->Label7->setText(long_path);
    window->Label4->setText(QStringLiteral("MP3 Stereo 44100Hz 128kbps and more"));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(window->Label1->size(), QSize(317, 13));
    EXPECT_EQ(window->Label7->size(), QSize(121, 13));
    EXPECT_EQ(window->Label4->size(), window->Label4->sizeHint());
    EXPECT_GT(window->Label4->width(), 113);
}

TEST_F(SkinWindowLayoutTest, AMissingSkinIsReportedPlainly)
{
    std::filesystem::remove_all(folder.path() + "skin");
    create();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("background.jpg is missing"), std::string::npos) << messages.messages[0];
    EXPECT_NE(messages.messages[0].find("imagelist1.bmp is missing"), std::string::npos) << messages.messages[0];
}

} // namespace
} // namespace ornavox::test
