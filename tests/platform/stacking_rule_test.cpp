// The stacking rule on stacks as the X server reports them: what moves, what the window manager is asked to
// raise, and that the stack the moves leave follows the rule.
#include "platform/stacking_rule.h"

#include <gtest/gtest.h>

using namespace platform::stacking;

namespace {

enum : unsigned long {
    kDesktop = 1,
    kShow,
    kEditor,
    kPage,
    kMask,
    kCalculator,
    kPanel,
    kTools,
    kDialog,
    kMenu
};

Window other(unsigned long id, bool movable = false)
{
    return {id, Layer::Other, movable, true};
}
Window own(unsigned long id, Layer layer, bool movable = true)
{
    return {id, layer, movable, true};
}

std::vector<unsigned long> ids(const std::vector<Window>& stack)
{
    std::vector<unsigned long> out;
    for (const Window& w : stack)
        out.push_back(w.id);
    return out;
}

// The stack after the plan's moves.
std::vector<Window> after(const std::vector<Window>& stack)
{
    return applied(stack, planFor(stack).moves);
}

} // namespace

TEST(StackingRule, AStackThatFollowsTheRuleIsLeftAlone)
{
    const std::vector<Window> stack {other(kDesktop), other(kShow), own(kPage, Layer::Page),
        own(kMask, Layer::Aid), own(kPanel, Layer::Panel), own(kTools, Layer::Panel)};
    EXPECT_TRUE(follows(stack));
    EXPECT_TRUE(planFor(stack).empty());
}

TEST(StackingRule, ThePanelComesBackAboveAPageThatRoseOverIt)
{
    // A dialog closed, and the window manager raised the full-screen page over the panel and the mask.
    const std::vector<Window> stack {other(kDesktop), own(kPanel, Layer::Panel), own(kTools, Layer::Panel),
        own(kMask, Layer::Aid), own(kPage, Layer::Page)};
    EXPECT_FALSE(follows(stack));
    const auto fixed = after(stack);
    EXPECT_TRUE(follows(fixed));
    EXPECT_EQ(ids(fixed), (std::vector<unsigned long> {kDesktop, kPage, kMask, kPanel, kTools}))
        << "the panels keep their order among themselves";
}

TEST(StackingRule, AnotherProgramThatRoseOverThePageGoesBackUnderIt)
{
    // Impress opened by the Office button, or a slide show started over the page.
    for (bool movable : {false, true}) {
        const std::vector<Window> stack {
            other(kDesktop), own(kPage, Layer::Page), own(kPanel, Layer::Panel), other(kShow, movable)};
        const auto fixed = after(stack);
        EXPECT_TRUE(follows(fixed));
        EXPECT_EQ(ids(fixed), (std::vector<unsigned long> {kDesktop, kShow, kPage, kPanel}));
    }
}

TEST(StackingRule, TheProgramsWindowsGoUnderItsDialogWhichTheWindowManagerStacks)
{
    // The dialog is managed: it stays where it is, and the page, the aids and the panels go right under it,
    // in order, over everything else.
    const std::vector<Window> stack {other(kDesktop), own(kPage, Layer::Page), own(kPanel, Layer::Panel),
        other(kEditor), own(kDialog, Layer::Dialog, false), own(kMask, Layer::Aid)};
    const Plan plan = planFor(stack);
    EXPECT_TRUE(plan.raise.empty());
    const auto fixed = applied(stack, plan.moves);
    EXPECT_TRUE(follows(fixed));
    EXPECT_EQ(ids(fixed), (std::vector<unsigned long> {kDesktop, kEditor, kPage, kMask, kPanel, kDialog}));
}

TEST(StackingRule, AnOutsideAidStaysBetweenThePageAndThePanel)
{
    // The calculator is another program's managed window: the page goes under it, the panel over it.
    const std::vector<Window> stack {other(kDesktop), own(kCalculator, Layer::Aid, false),
        own(kPage, Layer::Page), own(kPanel, Layer::Panel)};
    const auto fixed = after(stack);
    EXPECT_TRUE(follows(fixed));
    EXPECT_EQ(ids(fixed), (std::vector<unsigned long> {kDesktop, kPage, kCalculator, kPanel}));
}

TEST(StackingRule, TheWindowManagerIsAskedToRaiseWhatOnlyItCanMove)
{
    // Another program's window over the calculator would cover the page; a calculator over the dialog would
    // cover the question. Each is asked for, lower layers first, so that the dialog ends on top.
    const std::vector<Window> stack {other(kDesktop), own(kCalculator, Layer::Aid, false), other(kEditor),
        own(kDialog, Layer::Dialog, false), own(kCalculator + 100, Layer::Aid, false)};
    const Plan plan = planFor(stack);
    EXPECT_EQ(plan.raise, (std::vector<unsigned long> {kCalculator, kDialog}));
    // Nothing of another program's own can be raised over: a menu or tool tip of another program (movable) is
    // not the window manager's, and asking for it would never end.
    const std::vector<Window> menuAbove {
        other(kDesktop), own(kDialog, Layer::Dialog, false), other(kEditor, true)};
    EXPECT_TRUE(planFor(menuAbove).raise.empty());
}

TEST(StackingRule, TheProgramsMenusStayOnTop)
{
    const std::vector<Window> stack {
        other(kDesktop), own(kMenu, Layer::Menu), own(kPage, Layer::Page), own(kPanel, Layer::Panel)};
    const auto fixed = after(stack);
    EXPECT_EQ(ids(fixed), (std::vector<unsigned long> {kDesktop, kPage, kPanel, kMenu}));
    EXPECT_TRUE(planFor(fixed).empty()) << "once on top, nothing more moves";
}

TEST(StackingRule, HiddenWindowsCountForNothing)
{
    std::vector<Window> stack {
        other(kDesktop), own(kPage, Layer::Page), own(kPanel, Layer::Panel), other(kEditor)};
    stack[3].viewable = false;
    EXPECT_TRUE(follows(stack));
    EXPECT_TRUE(planFor(stack).empty());
    stack[1].viewable = false; // the page is hidden: a program under the panel is all that matters
    stack[3].viewable = true;
    EXPECT_EQ(ids(after(stack)), (std::vector<unsigned long> {kDesktop, kPage, kEditor, kPanel}));
}
