// Barcode settings: forced values, change notification, Assigne, and the
// control's construction defaults.

#include <gtest/gtest.h>

#include <functional>

#include "runtime/Kdx.h"

using namespace kdx;

namespace {

struct Counted {
    TCode code;
    int changes = 0;
    Counted() {
        code.OnChange = [this](TObject* Sender) {
            EXPECT_EQ(Sender, &code);
            ++changes;
        };
    }
};

TEST(Settings, NewObjectIsAllZero) {
    TCode c;
    EXPECT_EQ(c.Symbology(), TBarCodeType::Code_39);
    EXPECT_EQ(c.Caption(), "");
    EXPECT_FALSE(c.AutoSize() || c.TextAutosize() || c.Border() || c.Transparent() || c.ControlChars() ||
                 c.ShowCtrlsChars() || c.TextOn());
    EXPECT_EQ(c.Density(), TDensity::High);
    EXPECT_EQ(c.Direction(), TDirection::Horizontal);
    EXPECT_EQ(c.TextAlignment(), TAlignment::txLeft);
    EXPECT_FALSE(c.OnChange);
}

// A setter stores the forced value of the current symbology, and notifies
// whenever the incoming value differs from the stored one.
TEST(Settings, ForcedValues) {
    struct Case {
        TBarCodeType symbology;
        std::function<void(TCode&)> set;       // applied after the symbology
        std::function<bool(const TCode&)> ok;  // what must be stored
        int changes;                           // notifications of the set
        const char* note;
    };
    using T = TBarCodeType;
    const Case cases[] = {
        // 0
        {T::POSTNET, [](TCode& c) { c.SetTextOn(true); }, [](const TCode& c) { return !c.TextOn(); }, 1,
         "TextOn forced off for POSTNET, still notifies"},
        {T::POSTNET, [](TCode& c) { c.SetBorder(true); }, [](const TCode& c) { return !c.Border(); }, 1,
         "Border forced off for POSTNET"},
        {T::POSTNET, [](TCode& c) { c.SetAutoSize(false); }, [](const TCode& c) { return !c.AutoSize(); }, 0,
         "AutoSize already False: equal incoming value, nothing happens"},
        {T::Code_39, [](TCode& c) { c.SetCtrlChar(true); }, [](const TCode& c) { return c.ControlChars(); }, 1,
         "ControlChars free for Code 39"},
        {T::Code_93, [](TCode& c) { c.SetCtrlChar(false); }, [](const TCode& c) { return !c.ControlChars(); }, 0,
         "False equals the stored False: no store, no notification"},
        // 5
        {T::Code_93,
         [](TCode& c) {
             c.SetCtrlChar(true);
             c.SetCtrlChar(false);
         },
         [](const TCode& c) { return c.ControlChars(); }, 2, "ControlChars forced on for Code 93"},
        {T::ITF,
         [](TCode& c) {
             c.SetCtrlChar(true);
             c.SetCtrlChar(false);
         },
         [](const TCode& c) { return !c.ControlChars(); }, 2, "ControlChars free for ITF"},
        {T::EAN_8,
         [](TCode& c) {
             c.SetAlignment(TAlignment::txDensity);
             c.SetAlignment(TAlignment::txLeft);
         },
         [](const TCode& c) { return c.TextAlignment() == TAlignment::txDensity; }, 2, "EAN-8 forces txDensity"},
        {T::UPC_A,
         [](TCode& c) {
             c.SetAlignment(TAlignment::txDensity);
             c.SetAlignment(TAlignment::txLeft);
         },
         [](const TCode& c) { return c.TextAlignment() == TAlignment::txLeft; }, 2, "UPC-A is not forced"},
        {T::Codabar, [](TCode& c) { c.SetCaption("abc"); }, [](const TCode& c) { return c.Caption() == "abc"; },
         1, "Caption stored unchanged"},
        // 10
        {T::Codabar,
         [](TCode& c) {
             c.SetCaption("abc");
             c.SetCaption("ABC");
             c.SetCaption("ABC");
         },
         [](const TCode& c) { return c.Caption() == "ABC"; }, 2, "case-sensitive comparison"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << cases[i].note);
        Counted c;
        c.code.SetCode(cases[i].symbology);
        c.changes = 0;
        cases[i].set(c.code);
        EXPECT_TRUE(cases[i].ok(c.code));
        EXPECT_EQ(c.changes, cases[i].changes);
    }
}

TEST(Settings, ForcedValuesApplyOnlyToLaterWrites) {
    Counted c;
    c.code.SetTextOn(true);
    c.code.SetBorder(true);
    c.code.SetCode(TBarCodeType::POSTNET);
    EXPECT_TRUE(c.code.TextOn());
    EXPECT_TRUE(c.code.Border());

    Counted d;
    d.code.SetCtrlChar(false);
    d.code.SetCode(TBarCodeType::Industrial);
    EXPECT_FALSE(d.code.ControlChars());
}

TEST(Settings, AssigneCopiesThroughSetters) {
    Counted source;
    source.code.SetCode(TBarCodeType::ITF);
    source.code.SetCaption("1234");
    source.code.SetDensity(TDensity::Low);

    Counted target;
    target.code.Assigne(source.code);
    EXPECT_EQ(target.changes, 3);
    EXPECT_EQ(target.code.Symbology(), TBarCodeType::ITF);
    EXPECT_EQ(target.code.Caption(), "1234");
    EXPECT_EQ(target.code.Density(), TDensity::Low);

    target.changes = 0;
    target.code.Assigne(source.code);
    EXPECT_EQ(target.changes, 0) << "identical settings raise nothing";
    EXPECT_FALSE(source.code.OnChange == nullptr) << "OnChange is not copied away";
}

TEST(Settings, AssigneAppliesForcedValuesOfTheNewSymbology) {
    TCode source;
    source.SetTextOn(true);
    source.SetCode(TBarCodeType::POSTNET);  // TextOn stays True in the source

    Counted target;
    target.code.Assigne(source);
    EXPECT_EQ(target.code.Symbology(), TBarCodeType::POSTNET);
    EXPECT_FALSE(target.code.TextOn()) << "forced off, as POSTNET is copied first";
    EXPECT_EQ(target.changes, 2) << "Symbology and the TextOn write";
}

TEST(Settings, PropertiesInTypeInformationOrder) {
    const char* names[] = {"Symbology",   "Caption",      "AutoSize",       "TextAutosize",
                           "Density",     "Border",       "Direction",      "Transparent",
                           "ControlChars", "ShowCtrlsChars", "TextOn",      "TextAlignment"};
    ASSERT_EQ(std::size(names), TCode::Properties.size());
    for (size_t i = 0; i < std::size(names); ++i) EXPECT_EQ(TCode::Properties[i].Name, names[i]);
    // Only AutoSize (True), Direction (Horizontal), Transparent (False) and
    // ControlChars (True) have stream defaults.
    for (const auto& p : TCode::Properties) {
        SCOPED_TRACE(std::string(p.Name));
        const bool expected = p.Name == "AutoSize" || p.Name == "Direction" || p.Name == "Transparent" ||
                              p.Name == "ControlChars";
        EXPECT_EQ(p.HasDefault, expected);
    }
    EXPECT_EQ(TCode::Properties[2].Default, 1);
    EXPECT_EQ(TCode::Properties[7].Default, 0);
}

TEST(Control, ConstructionDefaults) {
    TKordix k;
    const TCode& c = k.Code();
    EXPECT_EQ(c.Symbology(), TBarCodeType::Codabar);
    EXPECT_EQ(c.Caption(), "123456");
    EXPECT_TRUE(c.AutoSize());
    EXPECT_FALSE(c.TextAutosize());
    EXPECT_EQ(c.Density(), TDensity::High);
    EXPECT_FALSE(c.Border());
    EXPECT_TRUE(c.ControlChars());
    EXPECT_FALSE(c.Transparent());
    EXPECT_EQ(c.Direction(), TDirection::Horizontal);
    EXPECT_EQ(c.TextAlignment(), TAlignment::txLeft);
    EXPECT_TRUE(c.TextOn());
    EXPECT_EQ(k.Width(), 100);
    EXPECT_EQ(k.Height(), 50);
    EXPECT_TRUE(k.Visible);
    EXPECT_EQ(k.BackColor(), clWhite);
    EXPECT_EQ(k.BarColor(), clBlack);
    EXPECT_EQ(k.Font().Name(), "Arial");
    EXPECT_EQ(k.Font().Size(), 8);
    EXPECT_EQ(k.Font().Height(), -11);
    // Symbology, Caption, AutoSize, ControlChars, TextOn and the font name
    // differ from the zero state and notify during construction.
    EXPECT_EQ(k.ChangeCount(), 6);
}

TEST(Control, DisplayNames) {
    EXPECT_EQ(FBarCodeNames.front(), "Code 39");
    EXPECT_EQ(FBarCodeNames[3], "Interleaved 2 of 5");
    EXPECT_EQ(FBarCodeNames[9], "EAN 13 with 2 AddOn");
    EXPECT_EQ(FBarCodeNames.back(), "POSTNET");
    EXPECT_EQ(FBarCodeDensityNames[2], "Low");
}

}  // namespace
