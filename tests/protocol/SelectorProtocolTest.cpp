// The filter protocol as a host drives it: records, defaults, memory negotiation, the order of
// work in Start, result codes and the handles' lock balance.
#include "TestPlugin.h"

using testing_support::PluginTest;

namespace {

class SelectorProtocol : public PluginTest {
protected:
    void ExpectAllUnlocked() {
        EXPECT_EQ(host.handles().lockCount(ParametersHandle()), 0);
        EXPECT_EQ(host.handles().lockCount(reinterpret_cast<Handle>(host.dataSlot())), 0);
    }
};

TEST_F(SelectorProtocol, ParametersCreatesBothRecordsWithDefaults) {
    ASSERT_EQ(host.Call(filterSelectorParameters), noErr);
    ASSERT_NE(ParametersHandle(), nullptr);
    ASSERT_NE(host.dataSlot(), 0);
    EXPECT_EQ(host.handles().Size(ParametersHandle()), 68);
    EXPECT_EQ(host.handles().Size(reinterpret_cast<Handle>(host.dataSlot())), 20);

    const FilterParameters p = Parameters();
    EXPECT_EQ(p.windowLeft, 100);
    EXPECT_EQ(p.windowTop, 100);
    EXPECT_EQ(p.windowWidth, 828);
    EXPECT_EQ(p.windowHeight, 602);
    EXPECT_EQ(p.curveEditorLeft, 400);
    EXPECT_EQ(p.curveEditorTop, 300);
    EXPECT_EQ(p.curveEditorInteractive, 0);
    EXPECT_EQ(p.method, 0);
    EXPECT_EQ(p.value, 25.0f);
    EXPECT_EQ(p.size, 25.0f);
    EXPECT_EQ(p.aberration, 0.0f);
    EXPECT_EQ(p.randomSeed, 0.0f);
    EXPECT_EQ(p.proportion, 0.0f);
    EXPECT_EQ(p.centerX, 0.0f);
    EXPECT_EQ(p.centerY, 0.0f);
    EXPECT_TRUE(Data().queryForParameters);
    ExpectAllUnlocked();
}

TEST_F(SelectorProtocol, ParametersResetsValuesEveryTime) {
    ASSERT_EQ(host.Call(filterSelectorParameters), noErr);
    FilterParameters p = Parameters();
    p.value = 77.0f;
    p.windowLeft = 5;
    SetParameters(p);
    ASSERT_EQ(host.Call(filterSelectorParameters), noErr);
    EXPECT_EQ(Parameters().value, 25.0f);
    EXPECT_EQ(Parameters().windowLeft, 100);
}

TEST_F(SelectorProtocol, FailedAllocationReportsMemFullAndWritesNothing) {
    host.handles().failNew = true;
    EXPECT_EQ(host.Call(filterSelectorParameters), memFullErr);
    EXPECT_EQ(ParametersHandle(), nullptr);
    EXPECT_EQ(host.dataSlot(), 0);
    EXPECT_EQ(host.handles().liveCount(), 0u);

    // Prepare meets the same failure the same way.
    EXPECT_EQ(host.Call(filterSelectorPrepare), memFullErr);
    EXPECT_EQ(ParametersHandle(), nullptr);
}

TEST_F(SelectorProtocol, FailedLockReportsMemFullAndLeavesRecordsAlone) {
    ASSERT_EQ(host.Call(filterSelectorParameters), noErr);
    FilterParameters before = Parameters();
    host.handles().failLock = true;
    EXPECT_EQ(host.Call(filterSelectorParameters), memFullErr);
    EXPECT_EQ(host.Call(filterSelectorStart), memFullErr);
    EXPECT_EQ(host.Call(filterSelectorFinish), memFullErr);
    host.handles().failLock = false;
    EXPECT_EQ(std::memcmp(&before, host.parametersBytes(), sizeof before), 0);
    EXPECT_EQ(host.advanceCalls(), 0);
    EXPECT_TRUE(host.RecordedDescriptor().empty());
}

TEST_F(SelectorProtocol, StartAndFinishWithoutRecordsReportBadParameters) {
    EXPECT_EQ(host.Call(filterSelectorStart), filterBadParameters);
    EXPECT_EQ(host.Call(filterSelectorFinish), filterBadParameters);
    EXPECT_EQ(host.advanceCalls(), 0);
}

TEST_F(SelectorProtocol, PrepareKeepsValuesWhenRecordsExist) {
    ASSERT_EQ(host.Call(filterSelectorParameters), noErr);
    FilterParameters p = Parameters();
    p.value = 40.0f;
    p.method = 3;
    SetParameters(p);
    ASSERT_EQ(host.Call(filterSelectorPrepare), noErr);
    EXPECT_EQ(Parameters().value, 40.0f);
    EXPECT_EQ(Parameters().method, 3);
    ExpectAllUnlocked();
}

TEST_F(SelectorProtocol, PrepareCreatesMissingRecordsAndAsksForTheDialog) {
    ASSERT_EQ(host.Call(filterSelectorPrepare), noErr);
    ASSERT_NE(ParametersHandle(), nullptr);
    EXPECT_EQ(Parameters().value, 25.0f);
    EXPECT_TRUE(Data().queryForParameters);
}

struct MaxSpaceCase {
    int32_t width, height;
    int16_t mode;
    bool transparency, mask;
    int32_t offered, expected;
};

class PrepareMemory : public SelectorProtocol, public ::testing::WithParamInterface<MaxSpaceCase> {};

TEST_P(PrepareMemory, LowersMaxSpaceToTwoCopiesOfABoundedTile) {
    const MaxSpaceCase c = GetParam();
    host.document = host::Document::Make(c.width, c.height, c.mode, c.transparency);
    if (c.mask)
        host.document.mask.assign(size_t(c.width) * size_t(c.height), 255);
    host.options.maxSpace = c.offered;
    ASSERT_EQ(host.Call(filterSelectorPrepare), noErr);
    EXPECT_EQ(host.record().maxSpace, c.expected);
    EXPECT_EQ(host.record().bufferSpace, 0);
}

INSTANTIATE_TEST_SUITE_P(Bounds, PrepareMemory,
                         ::testing::Values(MaxSpaceCase{100, 50, plugInModeRGBColor, true, false, 1 << 30, 40000},
                                           MaxSpaceCase{3000, 2000, plugInModeRGBColor, false, true, 1 << 30, 524288},
                                           MaxSpaceCase{3000, 2000, plugInModeRGBColor, false, true, 1000, 1000},
                                           MaxSpaceCase{100, 50, plugInModeCMYKColor, true, false, 40000, 40000},
                                           MaxSpaceCase{1, 1, plugInModeRGBColor, false, false, 7, 6}),
                         [](const ::testing::TestParamInfo<MaxSpaceCase>& info) {
                             const MaxSpaceCase& c = info.param;
                             return std::to_string(c.width) + "x" + std::to_string(c.height) +
                                    (c.mode == plugInModeCMYKColor ? "Cmyk" : "Rgb") + (c.transparency ? "Alpha" : "") +
                                    (c.mask ? "Mask" : "") + "Offered" + std::to_string(c.offered);
                         });

TEST_F(SelectorProtocol, FullRunRequestsTheWholeAreaOnceAndEndsWithContinue) {
    host.document = host::Document::Make(300, 200, plugInModeRGBColor, true);
    host.document.selection = VRect{10, 20, 150, 260};
    const host::RunResult run = host.RunInteractive();
    ASSERT_EQ(run.result, noErr);
    // Start empties the 16-bit rectangles itself, so a host without 32-bit ones has nothing to
    // continue; one with them sends Continue, which empties those. A host may never finish.
    std::vector<int16_t> expected = {filterSelectorParameters, filterSelectorPrepare, filterSelectorStart};
    if (host.options.bigDocument)
        expected.push_back(filterSelectorContinue);
    if (host.options.sendsFinish)
        expected.push_back(filterSelectorFinish);
    std::vector<int16_t> sent;
    for (const host::SelectorCall& call : run.calls)
        sent.push_back(call.selector);
    EXPECT_EQ(sent, expected);
    // One request for the whole area (a dialog's previews, where one opens, ask before it).
    if (!testing_support::DialogOpensOnEveryRun(host)) {
        EXPECT_EQ(host.advanceCalls(), 1);
    }
    const VRect in = host.lastInRect();
    EXPECT_EQ(in.top, 10);
    EXPECT_EQ(in.left, 20);
    EXPECT_EQ(in.bottom, 150);
    EXPECT_EQ(in.right, 260);
    EXPECT_EQ(host.record().inLoPlane, 0);
    EXPECT_EQ(host.record().inHiPlane, 3);
    EXPECT_EQ(host.record().outHiPlane, 3);
    EXPECT_EQ(host.record().inputRate, 0x10000);
    EXPECT_EQ(host.record().maskRate, 0x10000);
    EXPECT_FALSE(Data().queryForParameters);
    ExpectAllUnlocked();
}

TEST_F(SelectorProtocol, BigDocumentRectanglesLandInThe32BitFields) {
    VF_SKIP_UNLESS(host.options.bigDocument, "no 32-bit rectangles: the host's documents stay below 32768 pixels");
    host.document = host::Document::Make(40000, 2, plugInModeRGBColor, false);
    ASSERT_EQ(host.Call(filterSelectorParameters), noErr);
    ASSERT_EQ(host.Call(filterSelectorPrepare), noErr);
    EXPECT_EQ(host.bigDocument().PluginUsing32BitCoordinates, 1);
    ASSERT_EQ(host.Call(filterSelectorStart), noErr);
    EXPECT_EQ(host.lastInRect().right, 40000);
    EXPECT_EQ(host.bigDocument().outRect32.right, 40000);
    // Start clears the 16-bit forms at its end; Continue empties the 32-bit ones.
    EXPECT_EQ(host.record().inRect.right, 0);
    ASSERT_EQ(host.Call(filterSelectorContinue), noErr);
    EXPECT_EQ(host.bigDocument().inRect32.right, 0);
    EXPECT_EQ(host.bigDocument().outRect32.bottom, 0);
    EXPECT_EQ(host.bigDocument().maskRect32.right, 0);
}

TEST_F(SelectorProtocol, WithoutBigDocumentsThe16BitRectanglesAreUsed) {
    host.options.bigDocument = false;
    host.document = host::Document::Make(120, 90, plugInModeCMYKColor, true);
    const host::RunResult run = host.RunInteractive();
    ASSERT_EQ(run.result, noErr);
    EXPECT_EQ(host.lastInRect().right, 120);
    EXPECT_EQ(host.lastInRect().bottom, 90);
    EXPECT_EQ(host.record().inHiPlane, 4);
}

TEST_F(SelectorProtocol, UnknownSelectorsOnlyUnlock) {
    ASSERT_EQ(host.Call(filterSelectorParameters), noErr);
    const FilterParameters before = Parameters();
    for (int16_t selector : {int16_t(6), int16_t(42), int16_t(32767), int16_t(-1), int16_t(-32768)}) {
        EXPECT_EQ(host.Call(selector), noErr) << selector;
        ExpectAllUnlocked();
    }
    EXPECT_EQ(std::memcmp(&before, host.parametersBytes(), sizeof before), 0);
    EXPECT_EQ(host.advanceCalls(), 0);
}

TEST_F(SelectorProtocol, AboutReturnsAtOnce) {
    EXPECT_EQ(host.CallAbout(), noErr);
}

TEST_F(SelectorProtocol, RepeatRunKeepsTheValuesOfTheEarlierRun) {
    // Without a registry only the parameters handle carries the values from run to run.
    host.suites().withheld.insert(kPSDescriptorRegistrySuite);
    ASSERT_EQ(host.RunInteractive().result, noErr);
    FilterParameters p = Parameters();
    p.method = 5;
    p.value = -12.5f;
    SetParameters(p);
    const host::RunResult repeat = host.RunRepeat();
    ASSERT_EQ(repeat.result, noErr);
    EXPECT_EQ(repeat.calls.front().selector, filterSelectorPrepare);
    VF_SKIP_UNLESS(!host.options.processPerRun,
                   "each run is a new process that restores the record as Parameters left it and half of the "
                   "data slot: a repeat asks the user again, at the defaults");
    EXPECT_EQ(Parameters().method, 5);
    EXPECT_EQ(Parameters().value, -12.5f);
    EXPECT_FALSE(Data().queryForParameters);
}

TEST_F(SelectorProtocol, TheSlotIsOnlyLockedWhenItHoldsOurRecord) {
    VF_SKIP_UNLESS(!host.options.processPerRun, "every run is a new process: see the repeat tests");
    host.suites().withheld.insert(kPSDescriptorRegistrySuite); // only the records carry the values
    ASSERT_EQ(host.RunInteractive().result, noErr);
    FilterParameters p = Parameters();
    p.value = -12.5f;
    SetParameters(p);

    // A host that unloads the library between runs and keeps the slot: the record is found.
    std::string error;
    ASSERT_TRUE(host.library().Reload(&error)) << error;
    ASSERT_EQ(host.Call(filterSelectorPrepare), noErr);
    EXPECT_FALSE(Data().queryForParameters);
    EXPECT_EQ(Parameters().value, -12.5f);

    // A host that kept only 4 of the slot's 8 bytes: what is left is no record, so a new one is
    // made (and the dialog asked for) instead of locking it.
    const intptr_t ours = host.dataSlot();
    const intptr_t half = intptr_t(uint32_t(uint64_t(ours)));
    VF_SKIP_UNLESS(half != ours, "this machine's handles fit in 4 bytes");
    host.SetDataSlot(half);
    ASSERT_EQ(host.Call(filterSelectorPrepare), noErr);
    EXPECT_NE(host.dataSlot(), half);
    EXPECT_TRUE(host.handles().IsValid(reinterpret_cast<Handle>(host.dataSlot())));
    EXPECT_TRUE(Data().queryForParameters);
}

TEST_F(SelectorProtocol, FailingAdvanceStateBecomesTheResult) {
    host.options.maxBufferBytes = 16; // the host cannot deliver the area
    const host::RunResult run = host.RunInteractive();
    EXPECT_EQ(run.result, memFullErr);
    EXPECT_EQ(run.calls.back().selector, filterSelectorStart);
    EXPECT_FALSE(run.documentChanged);
}

} // namespace
