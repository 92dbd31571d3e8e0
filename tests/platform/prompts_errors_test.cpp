#include "errors/handelerrors.h"
#include "platform/errorcatalogue.h"
#include "platform/lotwiseerror.h"
#include "platform/prompts.h"
#include "support/testsupport.h"

#include "platform/busycursor.h"

#include <QSet>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

TEST(ScriptedPrompts, AnswersInOrderThenFallsBackToDefaults)
{
    TestSupport::InstalledPrompts scripted;
    scripted.answerButton(Prompts::No);
    scripted.answerText("7.50");
    scripted.answerCancel();

    EXPECT_EQ(prompts().message("Delete it?", "Lotwise", Prompts::Yes | Prompts::No), Prompts::No);
    EXPECT_EQ(prompts().input("What is the shipping cost for this item?", "Shipping Cost", "4.00"),
              std::optional<QString>("7.50"));
    EXPECT_EQ(prompts().input("Again?", "Shipping Cost", "4.00"), std::nullopt);
    // Script exhausted: the first button offered, the default text, no file.
    EXPECT_EQ(prompts().message("Sure?", "Lotwise", Prompts::Yes | Prompts::No), Prompts::Yes);
    EXPECT_EQ(prompts().input("Cost?", "Shipping Cost", "4.00"), std::optional<QString>("4.00"));
    EXPECT_EQ(prompts().openFileName("Open", "/tmp", "*.csv"), QString());

    ASSERT_EQ(scripted.asked().size(), 6);
    EXPECT_EQ(scripted.asked()[1].kind, ScriptedPrompts::Asked::Input);
    EXPECT_EQ(scripted.asked()[1].title, QStringLiteral("Shipping Cost"));
    EXPECT_EQ(scripted.asked()[5].kind, ScriptedPrompts::Asked::OpenFile);
}

TEST(Prompts, EveryBoxIsAskedWithTheNormalPointerAndTheHourglassComesBackAfter)
{
    TestSupport::InstalledPrompts scripted;
    LogonDetails details;
    const std::function<void()> boxes[] = {
        [] { prompts().message("Sure?", "Lotwise", Prompts::Yes | Prompts::No); },
        [] {
            prompts().input("What is the shipping cost for this item?", "Shipping Cost", "4.00");
        },
        [] { prompts().openFileName("Open", "/tmp", "*.csv"); },
        [] { prompts().saveFileName("Save", "/tmp", "*.csv"); },
        [&] { prompts().logon(details); },
        [] { HandelErrors("Sub_CheckEmail", ErrorCode::FileNotFound, "/tmp/x"); },
    };
    for (int depth : {0, 1, 2}) {
        for (size_t i = 0; i < std::size(boxes); ++i) {
            SCOPED_TRACE(std::to_string(depth) + " hourglasses, box " + std::to_string(i));
            scripted.clear();
            std::vector<std::unique_ptr<BusyCursor>> busy;
            for (int d = 0; d < depth; ++d)
                busy.push_back(std::make_unique<BusyCursor>());
            boxes[i]();
            ASSERT_EQ(scripted.asked().size(), 1);
            EXPECT_FALSE(scripted.asked()[0].busyPointer);
            // The work that asked goes on under its hourglass, and each scope still lifts
            // its own.
            EXPECT_EQ(QGuiApplication::overrideCursor() != nullptr, depth > 0);
            if (depth > 0) {
                EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
            }
            busy.clear();
            EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
        }
    }
    // Asked outside any busy work, the scripted record says so too.
    BusyCursor busy;
    scripted.clear();
    scripted.message("direct", "Lotwise", Prompts::Ok, Prompts::Icon::None);
    EXPECT_TRUE(scripted.asked()[0].busyPointer);
}

TEST(HandelErrors, TrapStopsTheBodyAtTheFirstErrorAndReportsItForeignOnesNumbered)
{
    TestSupport::InstalledPrompts scripted;
    int reached = 0;
    const bool ok = trapErrors("modMain.Import", [&] {
        ++reached;
        throw LotwiseError(ErrorCode::FileNotFound, "/data/list.csv");
        ++reached;
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(reached, 1);
    ASSERT_EQ(scripted.asked().size(), 1);
    EXPECT_TRUE(scripted.asked()[0].text.contains("Error Number: 53"));
    EXPECT_TRUE(scripted.asked()[0].text.contains("/data/list.csv"));

    EXPECT_TRUE(trapErrors("x", [] {}));
    EXPECT_EQ(scripted.asked().size(), 1);
    trapErrors("a", [] { throw std::bad_alloc(); });
    trapErrors("b", [] { throw std::runtime_error("boom"); });
    ASSERT_EQ(scripted.asked().size(), 3);
    EXPECT_TRUE(scripted.asked()[1].text.contains("Error Number: 7\r\n"));
    EXPECT_TRUE(scripted.asked()[2].text.contains("Error Number: 51\r\n"));
    EXPECT_TRUE(scripted.asked()[2].text.contains("boom"));
}

TEST(ErrorCatalogue, KnownNumbersHaveTheirOwnTextUnknownOnesAreNamed)
{
    QSet<QString> seen;
    for (int n : {7, 13, 51, 52, 53, 75, 76, 380, 3021, 3049, 3051, 3078, 3197, 3265, 3751}) {
        const QString d = errorDescription(n);
        EXPECT_FALSE(d.isEmpty()) << n;
        EXPECT_FALSE(seen.contains(d)) << "two numbers share a description: " << n;
        seen.insert(d);
    }
    EXPECT_TRUE(errorDescription(123456).contains("123456"));
    EXPECT_TRUE(LotwiseError(53, "a.txt").description().startsWith(errorDescription(53)));
    EXPECT_TRUE(LotwiseError(53, "a.txt").description().contains("a.txt"));
}
