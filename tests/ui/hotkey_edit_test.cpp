#include "ui/qt/hotkey_edit.h"
#include "ui/qt/qt_key_codes.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace ornavox {
namespace {

class HotKeyField : public ::testing::Test {
protected:
    HotKeyField()
    {
        field.onchange = [this](QObject* sender) {
            ++changes;
            last_sender = sender;
        };
    }

    std::string text() const { return field.text().toStdString(); }

    THotKey field;
    int changes = 0;
    QObject* last_sender = nullptr;
};

TEST_F(HotKeyField, TakesACombinationWithCtrlOrAltAsPressed)
{
    QTest::keyClick(&field, Qt::Key_F9, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(field.hotKey(), 0x6078);
    EXPECT_EQ(text(), "Shift+Ctrl+F9");

    QTest::keyClick(&field, Qt::Key_F4, Qt::AltModifier);
    EXPECT_EQ(field.hotKey(), 0x8073);
    EXPECT_EQ(text(), "Alt+F4");

    QTest::keyClick(&field, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(text(), "Ctrl+S");

    QTest::keyClick(&field, Qt::Key_Backspace, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(text(), "Ctrl+Alt+BkSp");
}

TEST_F(HotKeyField, PutsShiftCtrlOnAKeyAloneOrWithShiftOnly)
{
    QTest::keyClick(&field, Qt::Key_F5);
    EXPECT_EQ(field.hotKey(), 0x6074);
    EXPECT_EQ(text(), "Shift+Ctrl+F5");

    QTest::keyClick(&field, Qt::Key_A, Qt::ShiftModifier);
    EXPECT_EQ(field.hotKey(), 0x6041);
    EXPECT_EQ(text(), "Shift+Ctrl+A");

    // Shift turns the 1 key into "!", which is still the 1 key.
    QTest::keyClick(&field, Qt::Key_Exclam, Qt::ShiftModifier);
    EXPECT_EQ(text(), "Shift+Ctrl+1");
}

TEST_F(HotKeyField, TypingNeverPutsLettersIntoTheField)
{
    QTest::keyClicks(&field, QStringLiteral("abc"));
    EXPECT_EQ(text(), "Shift+Ctrl+C");
    EXPECT_EQ(changes, 3);
}

TEST_F(HotKeyField, BackspaceAloneClearsTheValue)
{
    field.setHotKey(0x6078);
    QTest::keyClick(&field, Qt::Key_Backspace);
    EXPECT_EQ(field.hotKey(), 0);
    EXPECT_EQ(text(), "");
    EXPECT_EQ(changes, 1);
}

TEST_F(HotKeyField, ModifiersAloneAndKeysWithoutCodeChangeNothing)
{
    field.setHotKey(0x6078);
    QTest::keyClick(&field, Qt::Key_Control, Qt::ControlModifier);
    QTest::keyClick(&field, Qt::Key_Shift, Qt::ShiftModifier);
    QTest::keyClick(&field, Qt::Key_VolumeUp, Qt::ControlModifier);
    EXPECT_EQ(field.hotKey(), 0x6078);
    EXPECT_EQ(changes, 0);
}

TEST_F(HotKeyField, RaisesChangeOncePerUserChangeAndNeverForCode)
{
    field.setHotKey(0x6079);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(text(), "Shift+Ctrl+F10");

    QTest::keyClick(&field, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(last_sender, &field);

    QTest::keyClick(&field, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(changes, 1) << "the same combination again is no change";
}

TEST_F(HotKeyField, KeepsItsKeysFromTheWindowsShortcuts)
{
    QWidget window;
    auto* inner = new THotKey(&window);
    auto* action = new QAction(&window);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    window.addAction(action);
    int triggered = 0;
    QObject::connect(action, &QAction::triggered, [&] { ++triggered; });
    window.show();
    QApplication::setActiveWindow(&window);
    inner->setFocus();

    QTest::keyClick(inner, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(inner->text().toStdString(), "Ctrl+S");
    EXPECT_EQ(triggered, 0);
}

TEST(QtKeyCodes, TellsPadKeysAndShiftedSymbolsApart)
{
    EXPECT_EQ(qt_key_to_virtual_key(Qt::Key_7, false), '7');
    EXPECT_EQ(qt_key_to_virtual_key(Qt::Key_7, true), 0x67);
    EXPECT_EQ(qt_key_to_virtual_key(Qt::Key_Minus, false), 0xBD);
    EXPECT_EQ(qt_key_to_virtual_key(Qt::Key_Underscore, false), 0xBD);
    EXPECT_EQ(qt_key_to_virtual_key(Qt::Key_Minus, true), 0x6D);
    EXPECT_EQ(qt_key_to_virtual_key(Qt::Key_PageDown, true), 0x22);
    EXPECT_EQ(qt_key_to_virtual_key(Qt::Key_Shift, false), 0);
    EXPECT_EQ(qt_modifiers_to_shortcut(Qt::ShiftModifier | Qt::AltModifier | Qt::KeypadModifier),
              kShortcutShift | kShortcutAlt);
}

TEST(QtKeyCodes, EveryMappedKeyHasAName)
{
    // A field must never hold a value it shows as empty text: that text is
    // what the settings store, and it would read back as no key at all.
    auto check = [](int qt_key) {
        for (const bool keypad : {false, true}) {
            const uint8_t code = qt_key_to_virtual_key(qt_key, keypad);
            if (code != 0) {
                EXPECT_FALSE(key_name(code).empty()) << std::hex << "Qt key 0x" << qt_key << " gives 0x" << int(code);
                EXPECT_EQ(TextToShortCut(ShortCutToText(kShortcutCtrl | code)) & 0xFF,
                          code >= 0x60 && code <= 0x69 ? code - 0x60 + '0' : code);
            }
        }
    };
    for (int key = 0x20; key <= 0x7E; ++key)
        check(key);
    for (int key = Qt::Key_Escape; key <= Qt::Key_Direction_R; ++key)
        check(key);
}

} // namespace
} // namespace ornavox
