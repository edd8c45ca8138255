#pragma once
// A host of our own that loads a filter plug-in and drives it through the selector sequences a
// host uses, owning the filter record, the handles, the data slot and the document. It is used
// by the tests, the command-line tool and the Windows test host program.
//
// Callbacks from the plug-in carry no context, so one SubstituteHost is active per process at a
// time (the most recently constructed one).

#include "host/Document.h"
#include "host/HostDescriptors.h"
#include "host/HostHandles.h"
#include "host/HostSuites.h"
#include "host/PluginLibrary.h"
#include "plugin/HostAbi.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace host {

struct ProgressReport {
    int32_t done;
    int32_t total;
};

// What one selector call did.
struct SelectorCall {
    int16_t selector;
    int16_t result;
};

struct RunResult {
    bool enabled = true;             // false: the host's enable rules leave the command unavailable
    int16_t result = 0;              // the first non-zero result, or 0
    std::vector<SelectorCall> calls; // every selector sent, in order
    bool documentChanged = false;    // whether output was written back into the document
};

// How the host merges the plug-in's result with a selection.
enum class SelectionMasking {
    None,        // the result replaces the filter rectangle as the plug-in wrote it
    FilterCases, // masked by the selection's shape unless the property list's filter case says the
                 // filter writes outside the selection
    Always,      // always masked by the selection's shape (a host that merges through the selection)
};

struct HostOptions {
    bool bigDocument = true;       // offer 32-bit rectangles
    int32_t maxSpace = 0x40000000; // what the host says it can give
    bool descriptors = true;       // offer descriptorParameters with read and write procedures
    int16_t playInfo = plugInDialogDontDisplay;
    int abortAfterChecks = -1;                   // abortProc answers true from this call on (-1: never)
    uint64_t maxBufferBytes = uint64_t(8) << 30; // larger requests fail with memFullErr
    bool basicSuite = true;                      // offer sSPBasic (the suites are withheld one by one in suites())
    bool colorServices = true;                   // offer the old colour services callback
    bool channelPorts = true;                    // offer channelPortProcs (readPixelsProc)
    bool documentInfo = true;                    // offer the document description
    bool progressProc = true;                    // offer progressProc
    bool abortProc = true;                       // offer abortProc
    bool colorServicesFail = false;              // the colour services callback exists but fails every call
    // Whether the host samples (honours inputRate and maskRate). A host that cannot delivers
    // every request at rate 1, whatever rate the plug-in asked for.
    bool samplingSupport = true;
    // A host that keeps its buffers while a request names the same rectangle: inData, outData
    // and maskData are refilled only when their rectangle (or plane range) changes, whatever
    // else the request changed (the rate, for instance).
    bool refillOnlyOnNewRect = false;
    // Whether Load refuses a plug-in whose property list a strict host would skip (its command
    // never appears), and whether a run first asks the list's enable expression.
    bool checkPropertyList = false;
    bool evaluateEnable = false;
    SelectionMasking masking = SelectionMasking::FilterCases;
    bool sendsFinish = true; // a host that never sends Finish takes no values back from a run
    // A host that starts a new process for every run (the library loaded afresh), which starts
    // from what the previous process saved right after Parameters: the parameter record's bytes
    // and the data slot, of which it keeps `dataSlotBits` bits.
    bool processPerRun = false;
    int dataSlotBits = 64;
    // Hands Start an empty descriptor played with `playInfo` when the run brings none, so the
    // plug-in decides on its dialog from `playInfo` alone: with the default (do not display) it
    // never opens the dialog. On Windows a dialog or About box that opens all the same is
    // answered at once. A host that shows the dialog on a first run turns this off.
    // A host that lets the plug-in write its output where the document keeps its pixels (whole
    // rows of every plane at rate 1, nothing masked), as the tool's host does: no output copy and
    // no snapshot of the pixels as Start found them, so a run that fails leaves what it wrote.
    // Only for runs without a dialog (the plug-in on Linux has none): a preview written in place
    // would be the input of the next request, so the Windows host never writes in place.
    bool outputInPlace = false;
    bool neverShowDialog = true;
    std::string registryFile; // the descriptor registry's persistent entries (empty: in memory only)
    // The host's main window, handed to the plug-in in platformData as the owner of its dialogs.
    void* ownerWindow = nullptr;
    // Called before every selector of a run: a test's stand-in for what a user does between the
    // steps (editing the values in the dialog before Start, for instance).
    std::function<void(int16_t selector)> beforeSelector;
    // Told of every progress report as it arrives (the command-line tool's progress bar).
    void (*progressListener)(void* context, int32_t done, int32_t total) = nullptr;
    void* progressContext = nullptr;
};

class SubstituteHost {
public:
    SubstituteHost();
    ~SubstituteHost();
    SubstituteHost(const SubstituteHost&) = delete;
    SubstituteHost& operator=(const SubstituteHost&) = delete;

    // Loads the plug-in library; false with a message in `error` when it cannot be used.
    bool Load(const std::string& path, std::string* error);
    void Unload();
    PluginLibrary& library() { return library_; }

    HostOptions options;
    Document document;

    // Sends one selector with the current record (prepared from `document` and `options`);
    // returns the plug-in's result code. Output the plug-in produced is written back into the
    // document after Start and Continue when they succeed.
    int16_t Call(int16_t selector);
    // Whether the property list's enable expression allows the filter for `document` (true when
    // the list has none).
    bool FilterEnabled() const;
    // Sends About with an AboutRecord.
    int16_t CallAbout();

    // Parameters, Prepare, Start, Continue until the plug-in asks for nothing, Finish.
    RunResult RunInteractive();
    // The same without Parameters (the host repeats the last filter or plays an action).
    RunResult RunRepeat();

    // Starts a new session as a restarted host would: forgets the parameters handle and the
    // data slot.
    void ForgetPluginState();

    FilterRecord& record() { return *record_; }
    BigDocumentStruct& bigDocument() { return bigDocument_; }
    HostHandles& handles() { return handles_; }
    HostDescriptors& descriptors() { return descriptors_; }
    HostSuites& suites() { return suites_; }
    intptr_t dataSlot() const { return dataSlot_; }
    // What a host that mangles the slot hands back next time (a test's stand-in for one).
    void SetDataSlot(intptr_t value) { dataSlot_ = value; }
    PIDescriptorParameters& descriptorParameters() { return descriptorParameters_; }

    // The parameter record as the plug-in left it (null before the first Parameters).
    const uint8_t* parametersBytes() const;
    // Sets a recorded descriptor to be played with the next Start.
    void PlayDescriptor(const std::vector<DescriptorItem>& items, int16_t playInfo);
    // The items of the descriptor the last Finish recorded (the host takes it after Finish).
    std::vector<DescriptorItem> RecordedDescriptor() const;

    const std::vector<ProgressReport>& progress() const { return progress_; }
    int advanceCalls() const { return advanceCalls_; }
    // The rectangle and planes of the last advanceState request (32-bit coordinates).
    VRect lastInRect() const { return lastInRect_; }

    // Fills the record from `document` and `options` and makes this host the one the callbacks
    // reach, as before every selector (for tests that call parts of the plug-in directly).
    RunResult Run(bool withParameters);
    void PrepareRecord();

    static SubstituteHost* current;

private:
    void StartProcess(bool withParameters);
    void SaveForNextProcess();
    uint8_t MaskAt(int64_t x, int64_t y) const;
    bool MasksResult() const;
    // Buffers the host fills completely before the plug-in sees them: no zeros written first.
    template <class T> struct UninitializedAllocator : std::allocator<T> {
        template <class U> struct rebind { using other = UninitializedAllocator<U>; };
        UninitializedAllocator() = default;
        template <class U> UninitializedAllocator(const UninitializedAllocator<U>&) {}
        template <class U> void construct(U* p) { ::new (static_cast<void*>(p)) U; }
        template <class U, class... Args> void construct(U* p, Args&&... args) {
            ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
        }
    };
    using Buffer = std::vector<uint8_t, UninitializedAllocator<uint8_t>>;
    OSErr AdvanceState();
    void WriteBackOutput();
    void ReleaseBuffers();
    VRect RequestedRect(const Rect& narrow, const VRect& wide) const;
    bool FillBuffer(const VRect& rect, int16_t loPlane, int16_t hiPlane, Fixed rate, int16_t padding, Buffer* buffer,
                    int32_t* rowBytes);

    static OSErr AdvanceStateProc();
    static void ProgressProcedure(int32_t done, int32_t total);
    static Boolean AbortProcedure();

    PluginLibrary library_;
    HostHandles handles_;
    HostDescriptors descriptors_{&handles_};
    HostSuites suites_{&document};
    std::unique_ptr<FilterRecord> record_;
    BigDocumentStruct bigDocument_{};
    PIDescriptorParameters descriptorParameters_{};
    PlatformData platformData_{};
    intptr_t dataSlot_ = 0;
    Handle parameters_ = nullptr;
    std::vector<DescriptorItem> recorded_;
    // What a host that runs each filter in a new process keeps between them.
    std::vector<uint8_t> savedParameters_;
    intptr_t savedDataSlot_ = 0;

    // Where the input of a whole-row request at rate 1 lies in the pixels the host keeps; null
    // when the request needs a buffer of its own.
    const uint8_t* InputView(const VRect& rect, int16_t loPlane, int16_t hiPlane, Fixed rate) const;
    // Where the output of such a request may be written in place (outputInPlace); null otherwise.
    uint8_t* OutputView(const VRect& rect, int16_t loPlane, int16_t hiPlane);

    Buffer inBuffer_;
    Buffer outBuffer_;
    Buffer maskBuffer_;
    // What the last request delivered as output, for the write-back.
    bool outputPending_ = false;
    VRect outRect_{};
    int16_t outLoPlane_ = 0;
    int16_t outHiPlane_ = 0;
    int32_t outRowBytes_ = 0;
    VRect lastInRect_{};
    // As a host keeps the layer's pixels apart from what the plug-in writes: once output has been
    // written back in the middle of Start (the dialog's previews), input is read from the pixels
    // as Start found them, and a Start that fails puts them back.
    std::vector<uint8_t> startPixels_;
    bool startSnapshot_ = false;
    bool outputInPlace_ = false; // the pending output lies in the document already
    bool fillingMask_ = false;
    Fixed outRate_ = 0x10000;
    // What the buffers hold, for a host that refills only on a new rectangle.
    struct Filled {
        VRect rect{};
        int16_t loPlane = -1;
        int16_t hiPlane = -1;
        bool Same(const VRect& r, int16_t lo, int16_t hi) const {
            return rect.top == r.top && rect.left == r.left && rect.bottom == r.bottom && rect.right == r.right &&
                   loPlane == lo && hiPlane == hi;
        }
    };
    Filled filledIn_, filledOut_, filledMask_;

    std::vector<ProgressReport> progress_;
    int advanceCalls_ = 0;
    int abortChecks_ = 0;
    bool documentChanged_ = false;
};

} // namespace host
