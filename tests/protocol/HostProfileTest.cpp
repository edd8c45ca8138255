// The filter in the hosts users have: every host profile lists it, runs it, repeats it and plays
// it back with the full host's picture, masked and feathered by the selection's shape; where a
// host cannot, the test says what its user sees.
#include "InProcessHost.h"
#include "PreviewChecks.h"
#include "TestPlugin.h"
#include "host/HostProfiles.h"

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

namespace {

using host::HostProfile;
using host::SubstituteHost;

struct Effect {
    uint8_t method = Swirl;
    float value = 45.0f;
    float aberration = 30.0f;
    float centerX = 20.0f;
};

// A host of the profile with the plug-in library loaded.
std::unique_ptr<SubstituteHost> HostOf(HostProfile profile, const std::string& registryFile = std::string()) {
    auto host = std::make_unique<SubstituteHost>();
    host::ApplyHostProfile(profile, host.get());
    host->options.registryFile = registryFile;
    std::string error;
    EXPECT_TRUE(host->Load(testing_support::PluginPath(), &error)) << host::HostProfileName(profile) << ": " << error;
    return host;
}

FilterParameters RecordOf(const SubstituteHost& host) {
    FilterParameters p{};
    if (const uint8_t* bytes = host.parametersBytes())
        std::memcpy(&p, bytes, sizeof p);
    return p;
}

// Runs the filter as the host's user does: a played action where the host plays actions, else
// the values typed into the dialog that Parameters asks for.
host::RunResult RunWith(SubstituteHost& host, const Effect& effect) {
    if (host.options.descriptors) {
        host.PlayDescriptor({host::IntegerItem(keyMethod, effect.method), host::FloatItem(keyValue, effect.value),
                             host::FloatItem(keyAberration, effect.aberration),
                             host::FloatItem(keyCenterX, effect.centerX)},
                            plugInDialogDontDisplay);
        return host.RunInteractive();
    }
    return testing_support::RunInteractiveEditing(host, [effect](FilterParameters& p) {
        p.method = effect.method;
        p.value = effect.value;
        p.aberration = effect.aberration;
        p.centerX = effect.centerX;
    });
}

// A smooth picture with a feathered elliptical selection away from the top left.
host::Document SelectedDocument(int16_t mode, bool transparency, int32_t depth = 8) {
    host::Document document = host::Document::Make(48, 40, mode, transparency, depth);
    document.SelectEllipse(VRect{8, 6, 36, 42}, 3.0);
    return document;
}

struct Kind {
    int16_t mode;
    bool transparency;
    const char* name;
    int32_t depth = 8;
};
constexpr Kind kKinds[] = {{plugInModeRGBColor, false, "RGB"},
                           {plugInModeRGBColor, true, "RGB with transparency"},
                           {plugInModeCMYKColor, false, "CMYK"},
                           {plugInModeCMYKColor, true, "CMYK with transparency"},
                           {plugInModeGrayScale, false, "grey"},
                           {plugInModeGrayScale, true, "grey with transparency"},
                           {plugInModeRGB48, true, "16-bit RGB with transparency", 16},
                           {plugInModeCMYK64, false, "16-bit CMYK", 16},
                           {plugInModeGray16, true, "16-bit grey with transparency", 16}};

bool IsCmyk(const Kind& kind) {
    return kind.mode == plugInModeCMYKColor || kind.mode == plugInModeCMYK64;
}

class HostProfiles : public ::testing::TestWithParam<HostProfile> {
protected:
    // The picture the full host leaves after a run of `effect` on `input`.
    static host::Document FullHostPicture(const host::Document& input, const Effect& effect) {
        auto full = HostOf(HostProfile::Full);
        full->document = input;
        EXPECT_EQ(RunWith(*full, effect).result, noErr);
        return full->document;
    }
};

TEST_P(HostProfiles, ListTheFilterForRgbCmykAndGreyAtEightAndSixteenBits) {
    auto host = HostOf(GetParam());
    ASSERT_TRUE(host->library().loaded());
    for (const Kind& kind : kKinds) {
        host->document = SelectedDocument(kind.mode, kind.transparency, kind.depth);
        EXPECT_TRUE(host->FilterEnabled()) << kind.name;
    }
    host->document = host::Document::Make(8, 8, plugInModeLabColor, false);
    EXPECT_FALSE(host->FilterEnabled());
    host->document = host::Document::Make(8, 8, plugInModeLab48, false, 16);
    EXPECT_FALSE(host->FilterEnabled());
}

TEST_P(HostProfiles, RunGivesTheFullHostsPictureMaskedByTheSelection) {
    const Effect effect;
    for (const Kind& kind : kKinds) {
        host::Document input = SelectedDocument(kind.mode, kind.transparency, kind.depth);
        auto host = HostOf(GetParam());
        host->document = input;
        if (kind.mode == plugInModeCMYK64 && !host->suites().convert16) {
            // No 16-bit colour conversion: the run fails and the image stays as it was.
            EXPECT_NE(RunWith(*host, effect).result, noErr);
            EXPECT_EQ(host->document.pixels, input.pixels) << kind.name;
            continue;
        }
        ASSERT_EQ(RunWith(*host, effect).result, noErr) << kind.name;
        if (IsCmyk(kind) && !testing_support::ConvertsCmyk(*host)) {
            // What the user sees: the image as it was.
            EXPECT_EQ(host->document.pixels, input.pixels) << kind.name;
            continue;
        }
        const host::Document expected = FullHostPicture(input, effect);
        EXPECT_EQ(host->document.pixels, expected.pixels) << kind.name;

        // Where the selection's shape leaves a pixel out, it stays; inside, it changed.
        size_t changedInside = 0, inside = 0;
        const int planes = input.planes();
        for (int32_t y = 0; y < input.height; ++y) {
            for (int32_t x = 0; x < input.width; ++x) {
                const uint8_t weight = input.mask[size_t(y) * size_t(input.width) + size_t(x)];
                bool same = true;
                for (int k = 0; k < planes; ++k)
                    same = same && std::memcmp(host->document.sample(x, y, k), input.sample(x, y, k),
                                               size_t(input.bytesPerSample())) == 0;
                if (weight == 0) {
                    ASSERT_TRUE(same) << kind.name << " at " << x << "," << y;
                }
                if (weight == 255) {
                    ++inside;
                    changedInside += same ? 0 : 1;
                }
            }
        }
        EXPECT_GT(changedInside, inside / 2) << kind.name;
    }
}

TEST_P(HostProfiles, RepeatAndPlayedActionGiveTheSamePicture) {
    const Effect effect;
    const host::Document input = SelectedDocument(plugInModeRGBColor, true);
    auto host = HostOf(GetParam());
    host->document = input;
    ASSERT_EQ(RunWith(*host, effect).result, noErr);
    const host::Document first = host->document;
    EXPECT_EQ(first.pixels, FullHostPicture(input, effect).pixels);

    host->document = input;
    bool asksAgain = false;
    host->options.beforeSelector = [&](int16_t selector) {
        if (selector != filterSelectorStart || host->dataSlot() == 0)
            return;
        PluginData data{};
        std::memcpy(&data, *reinterpret_cast<Handle>(host->dataSlot()), sizeof data);
        asksAgain = data.queryForParameters;
    };
    ASSERT_EQ(host->RunRepeat().result, noErr);
    host->options.beforeSelector = nullptr;
    if (host->options.processPerRun) {
        // A new process for every run, starting from the record as Parameters left it and half of
        // the data slot: the repeat opens the dialog again, at the defaults.
        EXPECT_TRUE(asksAgain);
        EXPECT_EQ(RecordOf(*host).value, 25.0f);
    } else {
        EXPECT_FALSE(asksAgain);
        EXPECT_EQ(host->document.pixels, first.pixels);
    }

    VF_SKIP_UNLESS(host->options.descriptors, testing_support::kNoActions);
    const auto recorded = host->RecordedDescriptor();
    ASSERT_EQ(recorded.size(), 8u);
    auto player = HostOf(GetParam());
    player->document = input;
    player->PlayDescriptor(recorded, plugInDialogSilent);
    ASSERT_EQ(player->RunRepeat().result, noErr);
    EXPECT_EQ(player->document.pixels, first.pixels);
}

TEST_P(HostProfiles, LastUsedValuesSurviveARestartWhereTheHostKeepsARegistry) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                       (std::string("vortiflux-profile-") + host::HostProfileName(GetParam()) + ".reg");
    std::filesystem::remove(file);
    Effect effect;
    effect.method = RadialSmooth;
    effect.value = 61.5f;
    {
        auto host = HostOf(GetParam(), file.string());
        host->document = host::Document::Make(16, 12, plugInModeRGBColor, false);
        ASSERT_EQ(RunWith(*host, effect).result, noErr);
    }
    // A new session: nothing but the registry file is left of the first.
    auto restarted = HostOf(GetParam(), file.string());
    restarted->document = host::Document::Make(16, 12, plugInModeRGBColor, false);
    ASSERT_EQ(restarted->RunInteractive().result, noErr);
    const FilterParameters p = RecordOf(*restarted);
    std::filesystem::remove(file);
    if (!testing_support::KeepsLastUsedValues(*restarted) || !restarted->options.sendsFinish) {
        EXPECT_EQ(p.value, 25.0f); // the defaults
        GTEST_SKIP() << "under the " << host::HostProfileName(GetParam())
                     << " host: no registry, a new session starts from the defaults";
    }
    EXPECT_EQ(p.method, RadialSmooth);
    EXPECT_EQ(p.value, 61.5f);
}

TEST_P(HostProfiles, PreviewShowsTheRightAreaAtEveryZoom) {
    preview_checks::ExpectSameViewsAsFullHost(GetParam());
}

TEST_P(HostProfiles, NothingBreaksWithoutTheHostsServices) {
    auto host = HostOf(GetParam());
    EXPECT_EQ(host->CallAbout(), noErr);
    for (const Kind& kind : kKinds) {
        for (bool selected : {false, true}) {
            host->document = selected ? SelectedDocument(kind.mode, kind.transparency, kind.depth)
                                      : host::Document::Make(33, 21, kind.mode, kind.transparency, kind.depth);
            if (kind.mode == plugInModeCMYK64 && !host->suites().convert16)
                continue; // the run fails without 16-bit colour conversion (checked above)
            EXPECT_EQ(host->RunInteractive().result, noErr) << kind.name;
            EXPECT_EQ(host->RunRepeat().result, noErr) << kind.name;
        }
    }
    EXPECT_EQ(host->suites().OutstandingTotal(), 0);
    EXPECT_EQ(host->suites().unmatchedReleases, 0);
}

INSTANTIATE_TEST_SUITE_P(EveryHost, HostProfiles, ::testing::ValuesIn(host::AllHostProfiles()),
                         [](const ::testing::TestParamInfo<HostProfile>& info) {
                             return std::string(host::HostProfileName(info.param));
                         });

// A document of a mode the filter does not take, in a host that does not ask the enable
// expression: one message, no dialog, no request, the image as it was.
class DeepDocuments : public testing_support::InProcessTest, public ::testing::WithParamInterface<HostProfile> {};

TEST_P(DeepDocuments, OfOtherModesAreReportedOnceBeforeAnyDialogAndLeftAlone) {
    host::ApplyHostProfile(GetParam(), &host);
    host.library().UseEntry(&testing_support::InProcessEntry, testing_support::LinkedPropertyList());
    for (int16_t mode : {plugInModeLab48, plugInModeLabColor}) {
        platform::ClearRecordedMessages();
        host.document = host::Document::Make(12, 9, mode, true, mode == plugInModeLab48 ? 16 : 8);
        const std::vector<uint8_t> before = host.document.pixels;
        const host::RunResult run = host.RunInteractive();
        if (host.options.evaluateEnable) {
            // The host greys the command out: nothing is sent at all.
            EXPECT_FALSE(run.enabled);
            EXPECT_TRUE(run.calls.empty());
            continue;
        }
        EXPECT_EQ(run.result, noErr);
        EXPECT_EQ(host.advanceCalls(), 0) << "no preview and no request";
        EXPECT_EQ(host.document.pixels, before);
        const auto messages = platform::RecordedMessages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].caption, "Plugin Alert");
        EXPECT_EQ(messages[0].text, "Wrong Image mode!\r\n Image should be RGB or CMYK");
    }
}

INSTANTIATE_TEST_SUITE_P(EveryHost, DeepDocuments, ::testing::ValuesIn(host::AllHostProfiles()),
                         [](const ::testing::TestParamInfo<HostProfile>& info) {
                             return std::string(host::HostProfileName(info.param));
                         });

} // namespace
