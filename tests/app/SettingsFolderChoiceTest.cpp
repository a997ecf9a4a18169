#include "app/SettingsFolderChoice.h"
#include "support/TestDoubles.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tervo;

// A folder held by another program: the operator is told who holds it and chooses read-only
// use, another folder, or to quit.
TEST(SettingsFolderChoice, AHeldFolderOffersReadOnlyOrAnotherFolder)
{
    QTemporaryDir held, other;
    SettingsFolderLock holder(held.path());
    ASSERT_TRUE(holder.tryLock());

    const struct {
        std::deque<int> choices;
        bool chosen;
        QString folder;
        bool readOnly;
    } cases[] = {
        {{0}, true, held.path(), true},    // Open read-only
        {{1}, true, other.path(), false},  // Choose another folder
        {{2}, false, QString(), false},    // Quit
        {{}, false, QString(), false},     // dismissed
        {{1, 0}, true, held.path(), true}, // the folder dialog cancelled: asked again
    };
    for (const auto &c : cases) {
        ScriptedPrompts prompts;
        prompts.choiceAnswers = c.choices;
        if (c.folder == other.path())
            prompts.fileAnswers = {other.path()};
        const std::optional<SettingsFolderChoice> r = chooseSettingsFolder(held.path(), prompts);
        ASSERT_EQ(r.has_value(), c.chosen);
        ASSERT_FALSE(prompts.questions.isEmpty());
        EXPECT_TRUE(prompts.questions[0].contains(
            QStringLiteral("process %1").arg(QCoreApplication::applicationPid())))
            << prompts.questions[0].toStdString();
        if (!r)
            continue;
        EXPECT_EQ(r->folder, c.folder);
        EXPECT_EQ(r->readOnly, c.readOnly);
        EXPECT_EQ(r->lock != nullptr, !c.readOnly);
    }
}

TEST(SettingsFolderChoice, AFreeFolderIsTakenWithoutAQuestion)
{
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    std::optional<SettingsFolderChoice> r = chooseSettingsFolder(dir.path(), prompts);
    ASSERT_TRUE(r);
    EXPECT_FALSE(r->readOnly);
    EXPECT_TRUE(prompts.questions.isEmpty());
    // Held now: a second program is asked.
    EXPECT_FALSE(SettingsFolderLock(dir.path()).tryLock());
    r.reset();
    EXPECT_TRUE(SettingsFolderLock(dir.path()).tryLock());
}
