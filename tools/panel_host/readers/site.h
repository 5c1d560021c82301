// Site: the host's configuration for one run, read from a JSON site file.
//
// It says which instance names the host knows (name -> device number and offset), which names each
// router database holds, which information drivers exist with their initial slot texts, and where the
// layout files lie. readSiteFile() checks every field and throws an InputError "file: what is wrong"
// (with ":line" for JSON syntax errors) rather than guessing; it never returns a half-read site.
//
// The file, all keys but "layouts" optional:
//   {
//     "layouts": "layouts",                       // base path handed to the script, relative to the site
//     file "instances": { "ZaD SDI Router": { "device": 3, "offset": 0 } }, "databases": [ { "device": 3,
//     "database": 1, "names": { "12": "Camera 12" } } ], "infodrivers": [ { "device": 7, "slots": { "181":
//     "12" }, "silent": [ 190 ] } ]
//   }
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

struct SiteInstance {
    int32_t device = 0;
    int32_t offset = 0;
};

struct SiteDatabase {
    int32_t device = 0;
    int32_t database = 0;
    std::map<int32_t, std::string> names;  // index -> name
};

struct SiteInfoDriver {
    int32_t device = 0;
    std::map<int32_t, std::string> slots;  // slot -> initial text; other slots start empty
    std::set<int32_t> silent;              // slots that never answer a poll
};

struct Site {
    std::string siteDir;   // directory of the site file; layout paths are resolved against it
    std::string basePath;  // the "layouts" text, handed to the script unchanged
    std::map<std::string, SiteInstance> instances;
    std::map<std::pair<int32_t, int32_t>, SiteDatabase> databases;  // (device, database) -> names
    std::map<int32_t, SiteInfoDriver> infoDrivers;                  // device -> driver
};

// Reads and checks a site file. `displayName` is what error messages call the file.
Site readSiteFile(const std::string& path);

// The same for a text already in memory; `siteDir` becomes Site::siteDir.
Site parseSite(const std::string& text, const std::string& displayName, const std::string& siteDir);
