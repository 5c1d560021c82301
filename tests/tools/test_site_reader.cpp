#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "input_error.h"
#include "site.h"

namespace {

std::string errorOf(const std::string& text) {
    try {
        parseSite(text, "site.json", "/sites");
    } catch (const InputError& error) {
        return error.what();
    }
    return "(no error)";
}

TEST(SiteFile, ReadsInstancesDatabasesAndDrivers) {
    Site site = parseSite(R"({
        "layouts": "layouts",
        "instances": { "ZaD SDI Router": { "device": 3 }, "DAZ Tally Infodriver": { "device": 7, "offset": 2 } },
        "databases": [ { "device": 3, "database": 1, "names": { "12": "Camera 12", "-1": "odd" } } ],
        "infodrivers": [ { "device": 7, "slots": { "181": "5" }, "silent": [ 190, 191 ] } ]
    })",
                          "site.json", "/sites");
    EXPECT_EQ(site.siteDir, "/sites");
    EXPECT_EQ(site.basePath, "layouts");
    EXPECT_EQ(site.instances.at("ZaD SDI Router").device, 3);
    EXPECT_EQ(site.instances.at("ZaD SDI Router").offset, 0);
    EXPECT_EQ(site.instances.at("DAZ Tally Infodriver").offset, 2);
    EXPECT_EQ(site.databases.at({3, 1}).names.at(12), "Camera 12");
    EXPECT_EQ(site.databases.at({3, 1}).names.at(-1), "odd");
    EXPECT_EQ(site.infoDrivers.at(7).slots.at(181), "5");
    EXPECT_EQ(site.infoDrivers.at(7).silent.count(191), 1u);
}

TEST(SiteFile, OnlyTheLayoutBaseIsRequired) {
    Site site = parseSite(R"({ "layouts": "" })", "site.json", ".");
    EXPECT_EQ(site.basePath, "");
    EXPECT_TRUE(site.instances.empty());
    EXPECT_TRUE(site.infoDrivers.empty());
}

TEST(SiteFile, BadFilesAreReportedWithThePlaceThatIsWrong) {
    struct Case {
        std::string text;
        const char* message;
    };
    const Case cases[] = {
        {"",
         "site.json:1: syntax error while parsing value - unexpected end of input; expected '[', '{', or a "
         "literal"},
        {"{\n \"layouts\": \"x\",\n \"instances\": {,}\n}",
         "site.json:3: syntax error while parsing object key - unexpected ','; expected string literal"},
        {"[1, 2]", "site.json: the site must be a JSON object"},
        {R"({ "instances": {} })",
         "site.json: needs \"layouts\", the base path of the layout files (\"\" for the site's own "
         "directory)"},
        {R"({ "layouts": 3 })", "site.json: layouts: must be a text"},
        {R"({ "layouts": "", "instanses": {} })", "site.json: unknown key \"instanses\""},
        {R"({ "layouts": "", "instances": [] })", "site.json: instances: must be an object"},
        {R"({ "layouts": "", "instances": { "R": { "offset": 1 } } })",
         "site.json: instances.\"R\": needs a device"},
        {R"({ "layouts": "", "instances": { "R": { "device": "3" } } })",
         "site.json: instances.\"R\".device: must be an integer"},
        {R"({ "layouts": "", "instances": { "R": { "device": 2.5 } } })",
         "site.json: instances.\"R\".device: must be an integer"},
        {R"({ "layouts": "", "instances": { "R": { "device": 4294967296 } } })",
         "site.json: instances.\"R\".device: does not fit in 32 bits"},
        {R"({ "layouts": "", "instances": { "R": { "device": -2147483649 } } })",
         "site.json: instances.\"R\".device: does not fit in 32 bits"},
        {R"({ "layouts": "", "instances": { "R": { "device": 3, "port": 1 } } })",
         "site.json: instances.\"R\": unknown key \"port\""},
        {R"({ "layouts": "", "databases": {} })", "site.json: databases: must be a list"},
        {R"({ "layouts": "", "databases": [ { "device": 3, "names": {} } ] })",
         "site.json: databases[0]: needs database"},
        {R"({ "layouts": "", "databases": [ { "device": 3, "database": 1, "names": { "x": "A" } } ] })",
         "site.json: databases[0].names: key \"x\" is not a whole number"},
        {R"({ "layouts": "", "databases": [ { "device": 3, "database": 1, "names": { "1": 5 } } ] })",
         "site.json: databases[0].names.\"1\": must be a text"},
        {R"({ "layouts": "", "databases": [ { "device": 3, "database": 1, "names": {} },
                                             { "device": 3, "database": 1, "names": {} } ] })",
         "site.json: databases[1]: database 1 of device 3 is already defined"},
        {R"({ "layouts": "", "infodrivers": [ { "slots": {} } ] })",
         "site.json: infodrivers[0]: needs device"},
        {R"({ "layouts": "", "infodrivers": [ { "device": 7, "silent": 190 } ] })",
         "site.json: infodrivers[0].silent: must be a list of slots"},
        {R"({ "layouts": "", "infodrivers": [ { "device": 7, "silent": [ "190" ] } ] })",
         "site.json: infodrivers[0].silent[0]: must be an integer"},
        {R"({ "layouts": "", "infodrivers": [ { "device": 7 }, { "device": 7 } ] })",
         "site.json: infodrivers[1]: device 7 is already an information driver"},
        // What the JSON reader alone would let pass.
        {R"({ "layouts": "a", "layouts": "b" })", "site.json: key \"layouts\" is given twice"},
        {R"({ "layouts": "", "instances": { "R": { "device": 1 }, "R": { "device": 2 } } })",
         "site.json: instances: key \"R\" is given twice"},
        {R"({ "layouts": "", "infodrivers": [ { "device": 7, "slots": { "181": "a", "0181": "b" } } ] })",
         "site.json: infodrivers[0].slots: keys \"0181\" and \"181\" are the same number"},
        {R"({ "layouts": "", "infodrivers": [ {}, { "device": 7, "device": 8 } ] })",
         "site.json: infodrivers[1]: key \"device\" is given twice"},
        {R"({ "layouts": "", "instances": { "R": { "device": 1e400 } } })",
         "site.json: number overflow parsing '1e400'"},
        {R"({ "layouts": "a\u0000b" })", "site.json: layouts: a NUL character in \"a\\x00b\""},
        {std::string("{ \"layouts\":\n \"\0\" }", 19), "site.json:2: a NUL byte"},
        {R"({ "layouts": "", "databases": [ { "device": 3, "database": 1, "names": { "4294967296": "A" } } ] })",
         "site.json: databases[0].names: key \"4294967296\" is out of range (-2147483648 to 2147483647)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(errorOf(c.text), c.message) << c.text;
    }
}

TEST(SiteFile, AMissingFileIsReportedByName) {
    try {
        readSiteFile("/no/such/site.json");
        FAIL() << "no error";
    } catch (const InputError& error) {
        EXPECT_STREQ(error.what(), "/no/such/site.json: cannot open the site file");
    }
}

#if defined(_WIN32)
TEST(SiteFile, TheSitesDirectoryEndsAtEitherKindOfSlash) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("panel_host_site_test_" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "site.json") << R"({ "layouts": "" })";
    std::string native = dir.string();  // with backslashes
    EXPECT_EQ(readSiteFile(native + "\\site.json").siteDir, native);
    EXPECT_EQ(readSiteFile(native + "/site.json").siteDir, native);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}
#endif

}  // namespace
