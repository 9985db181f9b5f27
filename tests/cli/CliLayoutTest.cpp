#include "CliTestSupport.h"

TEST(CliLayout, PrintsEveryNodeInTreeOrder) {
    TempDir dir;
    const std::string doc = built(dir, "doc.rdc", "tree @ 100 10: [M A BBB]\n");
    const CommandResult result = cli({"layout", doc, "--fixed-metrics", "10,12"});
    EXPECT_EQ(result.status, kExitSuccess);
    // Rows 12 + 2 + 16 + 2 apart; A and BBB 15 + 25 apart, the mother midway.
    EXPECT_EQ(result.out, "7 M x=100 y=10 offset=0 rect=94,9,106,23 cum=74,9,136,55\n"
                          "8 A x=80 y=42 offset=-20 rect=74,41,86,55 cum=74,41,86,55\n"
                          "9 BBB x=120 y=42 offset=20 rect=104,41,136,55 cum=104,41,136,55\n");
    // Without the option the default metrics apply: 7 pixels a character.
    const CommandResult plain = cli({"layout", doc});
    EXPECT_EQ(plain.status, kExitSuccess);
    EXPECT_NE(plain.out.find(" A x=84 y=43"), std::string::npos) << plain.out;
}
