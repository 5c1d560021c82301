#include <gtest/gtest.h>

#include "control.h"

namespace {

Control mixer() {
    ControlDecl decl;
    decl.kind = ControlKind::List;
    decl.id = "Mixer";
    decl.columns = {"Input", "Dest", "Name", "Changed"};
    return Control(decl);
}

Control picker() {
    ControlDecl decl;
    decl.kind = ControlKind::Picker;
    decl.id = "Dest";
    return Control(decl);
}

TEST(ListControl, AddedRowsAreCutIntoCellsAndPaddedToTheColumns) {
    Control list = mixer();
    EXPECT_EQ(list.put("add=25;;"), "");
    EXPECT_EQ(list.put("add=26"), "");
    ASSERT_EQ(list.rows().size(), 2u);
    EXPECT_EQ(list.rows()[0], (std::vector<std::string>{"25", "", "", ""}));
    EXPECT_EQ(list.rows()[1], (std::vector<std::string>{"26", "", "", ""}));
    EXPECT_EQ(list.put("add=a;b;c;d;e"),
              "Mixer: row has 5 cells, the list 4 columns; the extra cells are dropped");
    EXPECT_EQ(list.rows()[2], (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(ListControl, CellsAreAddressedFromZeroAndOutsideOnesAreIgnored) {
    Control list = mixer();
    list.put("add=25;;");
    list.put("add=26;;");
    struct Case {
        const char* text;
        const char* note;
    };
    const Case cases[] = {
        {"cell.1.1=012", ""},
        {"cell.1.2=Camera=12", ""},  // only the first '=' separates
        {"cell.-1.1=007", "Mixer: there is no cell -1.1 (2 rows of 4 cells); ignored"},
        {"cell.2.1=007", "Mixer: there is no cell 2.1 (2 rows of 4 cells); ignored"},
        {"cell.0.4=x", "Mixer: there is no cell 0.4 (2 rows of 4 cells); ignored"},
        {"cell.0=x", "Mixer: \"cell.0\" is not cell.ROW.CELL; ignored"},
        {"cell.a.1=x", "Mixer: \"cell.a.1\" is not cell.ROW.CELL; ignored"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(list.put(c.text), c.note) << c.text;
    }
    EXPECT_EQ(list.rows()[1][1], "012");
    EXPECT_EQ(list.rows()[1][2], "Camera=12");
    EXPECT_EQ(*list.get("cell.1.1"), "012");
}

TEST(ListControl, SelectionIsSetReadAndCleared) {
    Control list = mixer();
    for (int i = 0; i < 16; ++i) {
        list.put("add=" + std::to_string(25 + i) + ";;");
    }
    EXPECT_EQ(*list.get("selectedindex"), "-1");
    list.select(2);
    EXPECT_EQ(*list.get("selectedindex"), "2");
    list.put("clearSelection");
    EXPECT_EQ(*list.get("selectedindex"), "-1");
    EXPECT_EQ(list.put("selectedindex=15"), "");
    EXPECT_EQ(list.selectedIndex(), 15);
    EXPECT_EQ(list.put("selectedindex=16"), "Mixer: no row \"16\" to select; ignored");
    EXPECT_EQ(list.selectedIndex(), 15);
}

TEST(PickerControl, IndexMinusOneMeansNothingChosen) {
    Control dest = picker();
    dest.pick(12);
    EXPECT_EQ(*dest.get("index"), "12");
    EXPECT_EQ(dest.put("index=-1"), "");
    EXPECT_EQ(dest.pickedIndex(), -1);
    EXPECT_EQ(dest.put("index=twelve"), "Dest: index \"twelve\" is not a whole number; ignored");
}

TEST(AnyControl, ParametersAreStoredAndAllListsThemAsLines) {
    Control dest = picker();
    dest.put("colour=red");
    dest.put("Pick a destination");
    dest.setEnabled(false);
    EXPECT_EQ(*dest.get("colour"), "red");
    EXPECT_EQ(*dest.get("text"), "Pick a destination");
    EXPECT_EQ(*dest.get("enabled"), "0");
    EXPECT_FALSE(dest.get("size").has_value());
    EXPECT_EQ(*dest.get("all"), "colour=red\nenabled=0\nindex=-1\ntext=Pick a destination");
    EXPECT_EQ(dest.put("enabled=1"), "Dest: enabled is set with CE and CD, not TP; ignored");
    EXPECT_FALSE(dest.enabled());
}

}  // namespace
