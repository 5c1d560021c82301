#include <gtest/gtest.h>

#include "input_error.h"
#include "layout.h"

namespace {

TEST(LayoutFile, DeclaresControlsInFileOrder) {
    Layout layout = parseLayout(
        "# a comment\n"
        "title Vessa 2540 mixer inputs\n"
        "\n"
        "list Mixer columns=Input,Dest,Name,Changed\n"
        "  picker Dest\n"
        "button Select enabled=0 text=Go\n",
        "Test.orvo_ui");
    EXPECT_EQ(layout.title, "Vessa 2540 mixer inputs");
    ASSERT_EQ(layout.controls.size(), 3u);
    EXPECT_EQ(layout.controls[0].kind, ControlKind::List);
    EXPECT_EQ(layout.controls[0].columns, (std::vector<std::string>{"Input", "Dest", "Name", "Changed"}));
    EXPECT_EQ(layout.controls[1].kind, ControlKind::Picker);
    EXPECT_EQ(layout.controls[1].id, "Dest");
    EXPECT_FALSE(layout.controls[2].enabled);
    ASSERT_EQ(layout.controls[2].params.size(), 1u);
    EXPECT_EQ(layout.controls[2].params[0].first, "text");
    EXPECT_EQ(layout.controls[2].params[0].second, "Go");
}

TEST(LayoutFile, BadLinesAreReportedWithFileAndLine) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"slider Level\n",
         "L.orvo_ui:1: unknown declaration \"slider\" (expected title, button, list or picker)"},
        {"\nbutton\n", "L.orvo_ui:2: button needs an id"},
        {"list Mixer\n", "L.orvo_ui:1: list Mixer needs columns=..."},
        {"button Go columns=A\n", "L.orvo_ui:1: only a list has columns"},
        {"button Go big\n", "L.orvo_ui:1: \"big\" is not name=value"},
        {"button Go =1\n", "L.orvo_ui:1: \"=1\" is not name=value"},
        {"button Go enabled=yes\n", "L.orvo_ui:1: enabled must be 0 or 1"},
        {"button a=b\n", "L.orvo_ui:1: control id \"a=b\" may not hold '=' or a quote"},
        {"button Go\npicker Go\n", "L.orvo_ui:2: control Go is declared twice"},
        {"title A\ntitle B\n", "L.orvo_ui:2: a second title"},
        {"list Mixer columns=\n", "L.orvo_ui:1: columns= needs the column titles"},
        {"list Mixer columns=A columns=B\n", "L.orvo_ui:1: columns given twice"},
        {"button\xc2\xa0Go\n",
         "L.orvo_ui:1: unknown declaration \"button\\xc2\\xa0Go\" (expected title, button, list or picker)"},
    };
    for (const Case& c : cases) {
        try {
            parseLayout(c.text, "L.orvo_ui");
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const InputError& error) {
            EXPECT_STREQ(error.what(), c.message) << c.text;
        }
    }
}

TEST(LayoutFile, AByteOrderMarkIsSkipped) {
    Layout layout = parseLayout(
        "\xEF\xBB\xBF"
        "button Go\n",
        "L.orvo_ui");
    ASSERT_EQ(layout.controls.size(), 1u);
    EXPECT_EQ(layout.controls[0].id, "Go");
}

TEST(LayoutFile, AMissingFileIsNotAnEmptyLayout) {
    EXPECT_THROW(readLayoutFile("/no/such/Test.orvo_ui", "Test.orvo_ui"), InputError);
    // A directory opens as a stream on this platform, yet holds no layout.
    EXPECT_THROW(readLayoutFile("/tmp", "tmp"), InputError);
}

}  // namespace
