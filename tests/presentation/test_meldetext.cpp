#include <gtest/gtest.h>

#include "presentation/msg/meldetext.h"

namespace hestrel {
namespace {

TEST(Meldetext, TerminalBekommtNurDruckbaresUndZeilen)
{
    struct Fall {
        std::string ein;
        std::string aus;
    };
    const std::vector<Fall> faelle = {
        {"Hilfe\r\nKasse 2\r\n", "Hilfe\r\nKasse 2\r\n"},
        {"a\nb\rc", "a\r\nb\r\nc"},
        {"\x1b]0;titel\x07rot\x1b[31m!", "]0;titelrot[31m!"},
        {"Gl\xC3\xBC"
         "ck",
         "Gl\xC3\xBC"
         "ck"},
        {"c1\xC2\x9B"
         "2J",
         "c12J"},
        {"tab\there", "tab here"},
        {"del\x7F", "del"},
    };
    for (const auto& f : faelle) {
        EXPECT_EQ(fuer_terminal(f.ein), f.aus);
    }
}

TEST(Meldetext, BenachrichtigungZeigtMarkupAlsText)
{
    EXPECT_EQ(fuer_benachrichtigung("<b>Raum 3</b> & 4\r\nKasse"),
              "&lt;b&gt;Raum 3&lt;/b&gt; &amp; 4\nKasse");
}

TEST(Meldetext, TerminalpfadNurUnterDev)
{
    EXPECT_EQ(terminalpfad("pts/3"), "/dev/pts/3");
    EXPECT_EQ(terminalpfad("tty1"), "/dev/tty1");
    EXPECT_EQ(terminalpfad(""), "");
    EXPECT_EQ(terminalpfad("/etc/passwd"), "");
    EXPECT_EQ(terminalpfad("../etc/passwd"), "");
    EXPECT_EQ(terminalpfad("pts/3 x"), "");
    EXPECT_EQ(terminalpfad(":0"), "");
}

} // namespace
} // namespace hestrel
