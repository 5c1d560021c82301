// Unit tests of TemplatePanel with the SDK's test kit: a fake host that records what the panel sends and
// fails the test on any breach of the host contract. Grow them with your panel: set the host's answers,
// drive events (button, revertive, tick, parentRequest), and compare panel.sent() with what you expect.
// The kit's types are described in orvo_panel_testing.h and in the author's guide.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "orvo_panel_testing.h"
#include "template_panel.h"

using Lines = std::vector<std::string>;

TEST(TemplatePanel, ShowsItsLayoutAndClosesWithAS) {
    TestedPanel panel;
    panel.create<TemplatePanel>("layouts");
    EXPECT_EQ(panel.sent(),
              (Lines{"PI '1' 'layouts/Template.orvo_ui'", "PS '1' 'layouts/Template.orvo_ui'"}));

    panel.button("1", "Action", "");  // a plain press carries no message, as panel_host's `press Action`
    panel.tick(1);
    EXPECT_EQ(panel.parentRequest("return=all"), std::nullopt);
    EXPECT_TRUE(panel.sent().empty());

    panel.close();
    EXPECT_EQ(panel.sent(), Lines{"AS"});
}

TEST(TemplatePanel, IsCreatedThroughItsExport) {
    TestedPanel panel;
    ASSERT_TRUE(panel.createThroughExport(load_orvo_client_script));
    EXPECT_EQ(panel.sent(), (Lines{"PI '1' 'Template.orvo_ui'", "PS '1' 'Template.orvo_ui'"}));
}
