// The string component's 2 GiB limit, where a host's text is multiplied: a place-marker fill whose result
// could not be held is refused with std::bad_alloc before anything is written, instead of wrapping its
// length round. (A format of a few hundred thousand markers and a value of a few thousand characters
// is enough; nothing near 2 GiB is ever allocated.)
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "orvo_string.h"

namespace {

TEST(StringSizeLimits, AFillWhoseResultWouldPassTwoGibibytesIsRefusedAndChangesNothing) {
    std::string markers;
    for (int i = 0; i < 600000; ++i) {
        markers += "%1";
    }
    const orvo_string format(markers.c_str());
    const orvo_string value(std::string(4000, 'v').c_str());

    EXPECT_THROW(format.arg(value), std::bad_alloc);
    EXPECT_THROW(format.arg(std::string(4000, 'c').c_str()), std::bad_alloc);
    EXPECT_THROW(format.arg(7, '0', 4000, 10), std::bad_alloc);
    EXPECT_EQ(format.length(), 1200000);
    EXPECT_EQ(format, markers.c_str());

    // A value that keeps the result within the limit fills every marker.
    std::string expected;
    for (int i = 0; i < 600000; ++i) {
        expected += "ab";
    }
    EXPECT_EQ(format.arg("ab"), expected.c_str());
}

}  // namespace
