// Host interface of a Photoshop-compatible filter plug-in (.8bf): the records,
// callback tables and constants a host hands to the plug-in's entry point.
//
// The layouts are those of x64 Windows. Every field uses a fixed-width type, so
// the same declarations give the same layout on Linux x86-64 (LP64, where
// `long` is 8 bytes) and under MinGW-w64 (LLP64). The static_asserts next to
// each record pin every offset and size; a layout slip fails the build on both
// toolchains instead of corrupting a host's memory at run time.
//
// Packing: FilterRecord alone is laid out with 4-byte packing (pointers may sit
// at offsets that are only 4-aligned, e.g. abortProc at 4). Every other record
// and callback table uses the compiler's natural alignment.
#pragma once

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------
// Basic types
// ---------------------------------------------------------------------------

typedef uint8_t Boolean; // 0 = false, anything else = true
typedef int16_t OSErr;   // result of the entry point and the record-level callbacks
typedef int32_t SPErr;   // result of the suite functions
typedef int32_t SPBoolean;
typedef int32_t Fixed; // 16.16 fixed point, 1.0 = 0x00010000

// Four-character codes: the characters packed most-significant first.
typedef uint32_t OSType;
typedef uint32_t ResType;
typedef uint32_t PIType;
typedef uint32_t DescriptorKeyID;
typedef uint32_t DescriptorTypeID;
typedef uint32_t DescriptorEnumID;
typedef uint32_t DescriptorEnumTypeID;
typedef uint32_t DescriptorUnitID;
typedef uint32_t DescriptorClassID;
typedef uint32_t DescriptorFormID;
typedef uint32_t DescType;

typedef char* Ptr;
// A handle points at a block whose first pointer-sized word is the data
// pointer (*h is the data); plug-ins dereference it without locking.
typedef char** Handle;
typedef Handle PIDescriptorHandle;

// Opaque tokens handed out by the host. Each is a pointer to its own
// incomplete type, so the compiler rejects passing one kind for another.
typedef struct PIReadDescriptorToken* PIReadDescriptor;
typedef struct PIWriteDescriptorToken* PIWriteDescriptor;
typedef struct PIActionDescriptorToken* PIActionDescriptor;
typedef struct PIActionReferenceToken* PIActionReference;
typedef struct PIActionListToken* PIActionList;
typedef struct ASZStringToken* ASZString;
typedef struct ColorIDToken* ColorID;
typedef struct PIChannelPortToken* PIChannelPort;
// Read and write ports are the same kind of token: a ReadChannelDesc's port is
// passed straight to readPixelsProc and to the channel-ports suite.
typedef PIChannelPort ChannelReadPort;
typedef PIChannelPort ChannelWritePort;
typedef struct BufferIDToken* BufferID;
typedef struct SPPluginRefToken* SPPluginRef;

typedef uint8_t Str255[256]; // Pascal string: byte 0 is the length

struct Point {
    int16_t v; // row first
    int16_t h;
};

struct Rect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

struct VPoint {
    int32_t v;
    int32_t h;
};

struct VRect {
    int32_t top;
    int32_t left;
    int32_t bottom;
    int32_t right;
};

struct RGBColor {
    uint16_t red;
    uint16_t green;
    uint16_t blue;
};

typedef uint8_t FilterColor[4]; // one colour in the image's own mode

struct PlugInMonitor {
    Fixed gamma;
    Fixed redX;
    Fixed redY;
    Fixed greenX;
    Fixed greenY;
    Fixed blueX;
    Fixed blueY;
    Fixed whiteX;
    Fixed whiteY;
    Fixed ambient;
};

// Window-system data; FilterRecord and AboutRecord point at it.
struct PlatformData {
    void* hwnd; // parent window for dialogs
};

struct CS_XYZ {
    uint16_t x;
    uint16_t y;
    uint16_t z;
};

typedef uint8_t Color8[4];   // one colour of the ColorSpace suite, 8 bits per component
typedef uint16_t Color16[4]; // the same with 16 bits per component

static_assert(sizeof(Boolean) == 1, "Boolean is one byte");
static_assert(sizeof(Handle) == 8 && sizeof(Ptr) == 8, "64-bit pointers");
static_assert(sizeof(Str255) == 256, "Str255 size");
static_assert(sizeof(Point) == 4 && alignof(Point) == 2, "Point layout");
static_assert(sizeof(Rect) == 8 && alignof(Rect) == 2, "Rect layout");
static_assert(sizeof(VPoint) == 8 && alignof(VPoint) == 4, "VPoint layout");
static_assert(sizeof(VRect) == 16 && alignof(VRect) == 4, "VRect layout");
static_assert(sizeof(RGBColor) == 6 && alignof(RGBColor) == 2, "RGBColor layout");
static_assert(sizeof(FilterColor) == 4, "FilterColor size");
static_assert(sizeof(PlugInMonitor) == 40 && alignof(PlugInMonitor) == 4, "PlugInMonitor layout");
static_assert(sizeof(PlatformData) == 8, "PlatformData size");
static_assert(sizeof(CS_XYZ) == 6, "CS_XYZ size");
static_assert(sizeof(Color8) == 4 && sizeof(Color16) == 8, "Color8/Color16 sizes");

// Four-character code with the first character in the most significant byte.
constexpr uint32_t FourCC(const char (&s)[5]) {
    return (static_cast<uint32_t>(static_cast<uint8_t>(s[0])) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(s[1])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(s[2])) << 8) | static_cast<uint32_t>(static_cast<uint8_t>(s[3]));
}

static_assert(FourCC("8BIM") == 0x3842494Du, "FourCC packs the first character into the top byte");

// Every offset below is checked with this; the message names the field.
#define VX_ABI_OFFSET(T, field, off) static_assert(offsetof(T, field) == (off), #T "." #field " must be at " #off)
#define VX_ABI_SIZE(T, size) static_assert(sizeof(T) == (size), "sizeof(" #T ") must be " #size)

// ---------------------------------------------------------------------------
// Forward declarations of the records the callbacks mention
// ---------------------------------------------------------------------------

struct FilterRecord;
struct AboutRecord;
struct BigDocumentStruct;
struct HandleProcs;
struct BufferProcs;
struct PropertyProcs;
struct ResourceProcs;
struct ImageServicesProcs;
struct PSImagePlane;
struct PSPixelMap;
struct PSPixelMask;
struct PIDescriptorParameters;
struct WriteDescriptorProcs;
struct ReadDescriptorProcs;
struct PIDescriptorSimpleReference;
struct ColorServicesInfo;
struct ChannelPortProcs;
struct PSScaling;
struct PixelMemoryDesc;
struct ReadChannelDesc;
struct ReadImageDocumentDesc;
struct ReadLayerDesc;
struct SPBasicSuite;

// ---------------------------------------------------------------------------
// Entry point
// ---------------------------------------------------------------------------

// The exported entry point. `record` is a FilterRecord*, or an AboutRecord*
// for filterSelectorAbout. `data` is one pointer-sized slot the host keeps
// between the calls of one filter run (the plug-in parks its globals there).
// The plug-in reports an OSErr through `result`; 0 is success.
typedef void (*PluginEntryProc)(int16_t selector, void* record, intptr_t* data, int16_t* result);

// ---------------------------------------------------------------------------
// Callbacks stored directly in FilterRecord
// ---------------------------------------------------------------------------

typedef Boolean (*TestAbortProc)(void); // non-zero: the user cancelled
typedef void (*ProgressProc)(int32_t done, int32_t total);
typedef void (*HostProc)(int16_t selector, intptr_t* data);
typedef void (*ProcessEventProc)(void* event);
// platformContext is the device context (HDC) to draw into.
typedef OSErr (*DisplayPixelsProc)(const PSPixelMap* source, const VRect* srcRect, int32_t dstRow, int32_t dstCol,
                                   void* platformContext);
typedef OSErr (*AdvanceStateProc)(void);
typedef OSErr (*ColorServicesProc)(ColorServicesInfo* info);
// Simple property values are pointer-sized; complex ones come back as a Handle
// the caller disposes.
typedef OSErr (*GetPropertyProc)(PIType signature, PIType key, int32_t index, intptr_t* simpleProperty,
                                 Handle* complexProperty);
typedef OSErr (*SetPropertyProc)(PIType signature, PIType key, int32_t index, intptr_t simpleProperty,
                                 Handle complexProperty);

// ---------------------------------------------------------------------------
// BigDocumentStruct: 32-bit coordinates for documents larger than 32767
// pixels. The plug-in sets PluginUsing32BitCoordinates to announce it reads
// and writes these instead of the 16-bit fields of FilterRecord. The pointer
// in FilterRecord is NULL when the host has no big-document support.
// ---------------------------------------------------------------------------

struct BigDocumentStruct {
    int32_t PluginUsing32BitCoordinates;
    VPoint imageSize32;
    VRect filterRect32;
    VRect inRect32;
    VRect outRect32;
    VRect maskRect32;
    VPoint floatCoord32;
    VPoint wholeSize32;
};

VX_ABI_OFFSET(BigDocumentStruct, PluginUsing32BitCoordinates, 0);
VX_ABI_OFFSET(BigDocumentStruct, imageSize32, 4);
VX_ABI_OFFSET(BigDocumentStruct, filterRect32, 12);
VX_ABI_OFFSET(BigDocumentStruct, inRect32, 28);
VX_ABI_OFFSET(BigDocumentStruct, outRect32, 44);
VX_ABI_OFFSET(BigDocumentStruct, maskRect32, 60);
VX_ABI_OFFSET(BigDocumentStruct, floatCoord32, 76);
VX_ABI_OFFSET(BigDocumentStruct, wholeSize32, 84);
VX_ABI_SIZE(BigDocumentStruct, 92);

// ---------------------------------------------------------------------------
// HandleProcs: the host's handle allocator. disposeRegularHandleProc exists
// only when numHandleProcs >= 8; older hosts report 7.
// ---------------------------------------------------------------------------

typedef Handle (*NewPIHandleProc)(int32_t size);
typedef void (*DisposePIHandleProc)(Handle h);
typedef int32_t (*GetPIHandleSizeProc)(Handle h);
typedef OSErr (*SetPIHandleSizeProc)(Handle h, int32_t newSize);
typedef Ptr (*LockPIHandleProc)(Handle h, Boolean moveHigh);
typedef void (*UnlockPIHandleProc)(Handle h);
typedef void (*RecoverSpaceProc)(int32_t size);
typedef void (*DisposeRegularPIHandleProc)(Handle h);

struct HandleProcs {
    int16_t handleProcsVersion;
    int16_t numHandleProcs;
    NewPIHandleProc newProc;
    DisposePIHandleProc disposeProc;
    GetPIHandleSizeProc getSizeProc;
    SetPIHandleSizeProc setSizeProc;
    LockPIHandleProc lockProc;
    UnlockPIHandleProc unlockProc;
    RecoverSpaceProc recoverSpaceProc;
    DisposeRegularPIHandleProc disposeRegularHandleProc;
};

VX_ABI_OFFSET(HandleProcs, handleProcsVersion, 0);
VX_ABI_OFFSET(HandleProcs, numHandleProcs, 2);
VX_ABI_OFFSET(HandleProcs, newProc, 8);
VX_ABI_OFFSET(HandleProcs, disposeProc, 16);
VX_ABI_OFFSET(HandleProcs, getSizeProc, 24);
VX_ABI_OFFSET(HandleProcs, setSizeProc, 32);
VX_ABI_OFFSET(HandleProcs, lockProc, 40);
VX_ABI_OFFSET(HandleProcs, unlockProc, 48);
VX_ABI_OFFSET(HandleProcs, recoverSpaceProc, 56);
VX_ABI_OFFSET(HandleProcs, disposeRegularHandleProc, 64);
VX_ABI_SIZE(HandleProcs, 72);

// ---------------------------------------------------------------------------
// BufferProcs: scratch buffers from the host. The last three members exist
// only when numBufferProcs >= 8; many hosts report 5.
// ---------------------------------------------------------------------------

typedef OSErr (*AllocateBufferProc)(int32_t size, BufferID* bufferID);
typedef Ptr (*LockBufferProc)(BufferID bufferID, Boolean moveHigh);
typedef void (*UnlockBufferProc)(BufferID bufferID);
typedef void (*FreeBufferProc)(BufferID bufferID);
typedef int32_t (*BufferSpaceProc)(void);
typedef OSErr (*ReserveBufferSpaceProc)(int32_t size);
typedef OSErr (*AllocateBuffer64Proc)(int64_t size, BufferID* bufferID);
typedef int64_t (*BufferSpace64Proc)(void);

struct BufferProcs {
    int16_t bufferProcsVersion;
    int16_t numBufferProcs;
    AllocateBufferProc allocateProc;
    LockBufferProc lockProc;
    UnlockBufferProc unlockProc;
    FreeBufferProc freeProc;
    BufferSpaceProc spaceProc;          // returns FilterRecord.maxSpace
    ReserveBufferSpaceProc reserveProc; // count >= 8 only
    AllocateBuffer64Proc allocateProc64;
    BufferSpace64Proc spaceProc64; // returns FilterRecord.maxSpace64
};

VX_ABI_OFFSET(BufferProcs, bufferProcsVersion, 0);
VX_ABI_OFFSET(BufferProcs, numBufferProcs, 2);
VX_ABI_OFFSET(BufferProcs, allocateProc, 8);
VX_ABI_OFFSET(BufferProcs, lockProc, 16);
VX_ABI_OFFSET(BufferProcs, unlockProc, 24);
VX_ABI_OFFSET(BufferProcs, freeProc, 32);
VX_ABI_OFFSET(BufferProcs, spaceProc, 40);
VX_ABI_OFFSET(BufferProcs, reserveProc, 48);
VX_ABI_OFFSET(BufferProcs, allocateProc64, 56);
VX_ABI_OFFSET(BufferProcs, spaceProc64, 64);
VX_ABI_SIZE(BufferProcs, 72);

// ---------------------------------------------------------------------------
// PropertyProcs: host properties by (signature, key, index); see the prop*
// keys below.
// ---------------------------------------------------------------------------

struct PropertyProcs {
    int16_t propertyProcsVersion;
    int16_t numPropertyProcs;
    GetPropertyProc getPropertyProc;
    SetPropertyProc setPropertyProc;
};

VX_ABI_OFFSET(PropertyProcs, propertyProcsVersion, 0);
VX_ABI_OFFSET(PropertyProcs, numPropertyProcs, 2);
VX_ABI_OFFSET(PropertyProcs, getPropertyProc, 8);
VX_ABI_OFFSET(PropertyProcs, setPropertyProc, 16);
VX_ABI_SIZE(PropertyProcs, 24);

// ---------------------------------------------------------------------------
// ResourceProcs: resources the host stores with the document.
// ---------------------------------------------------------------------------

typedef int16_t (*CountPIResourcesProc)(ResType type);
typedef Handle (*GetPIResourceProc)(ResType type, int16_t index);
typedef void (*DeletePIResourceProc)(ResType type, int16_t index);
typedef OSErr (*AddPIResourceProc)(ResType type, Handle data);

struct ResourceProcs {
    int16_t resourceProcsVersion;
    int16_t numResourceProcs;
    CountPIResourcesProc countProc;
    GetPIResourceProc getProc;
    DeletePIResourceProc deleteProc;
    AddPIResourceProc addProc;
};

VX_ABI_OFFSET(ResourceProcs, resourceProcsVersion, 0);
VX_ABI_OFFSET(ResourceProcs, numResourceProcs, 2);
VX_ABI_OFFSET(ResourceProcs, countProc, 8);
VX_ABI_OFFSET(ResourceProcs, getProc, 16);
VX_ABI_OFFSET(ResourceProcs, deleteProc, 24);
VX_ABI_OFFSET(ResourceProcs, addProc, 32);
VX_ABI_SIZE(ResourceProcs, 40);

// ---------------------------------------------------------------------------
// ImageServicesProcs: host-side resampling of an image plane. Only the first
// two members are guaranteed; check numImageServicesProcs for the others.
// ---------------------------------------------------------------------------

// One plane of pixels handed to the image services.
struct PSImagePlane {
    void* data;
    Rect bounds;
    int32_t rowBytes;
    int32_t colBytes;
};

VX_ABI_OFFSET(PSImagePlane, data, 0);
VX_ABI_OFFSET(PSImagePlane, bounds, 8);
VX_ABI_OFFSET(PSImagePlane, rowBytes, 16);
VX_ABI_OFFSET(PSImagePlane, colBytes, 20);
VX_ABI_SIZE(PSImagePlane, 24);

// method: one of the imageServicesInterpolation* values.
typedef OSErr (*PIResampleProc)(PSImagePlane* source, PSImagePlane* destination, Rect* area, Fixed* coords,
                                int16_t method);

struct ImageServicesProcs {
    int16_t imageServicesProcsVersion;
    int16_t numImageServicesProcs;
    PIResampleProc interpolate1DProc;
    PIResampleProc interpolate2DProc;
    PIResampleProc interpolate1DMultiProc;
    PIResampleProc interpolate2DMultiProc;
    PIResampleProc interpolate1DMulti32Proc;
    PIResampleProc interpolate2DMulti32Proc;
};

VX_ABI_OFFSET(ImageServicesProcs, imageServicesProcsVersion, 0);
VX_ABI_OFFSET(ImageServicesProcs, numImageServicesProcs, 2);
VX_ABI_OFFSET(ImageServicesProcs, interpolate1DProc, 8);
VX_ABI_OFFSET(ImageServicesProcs, interpolate2DProc, 16);
VX_ABI_OFFSET(ImageServicesProcs, interpolate1DMultiProc, 24);
VX_ABI_OFFSET(ImageServicesProcs, interpolate2DMultiProc, 32);
VX_ABI_OFFSET(ImageServicesProcs, interpolate1DMulti32Proc, 40);
VX_ABI_OFFSET(ImageServicesProcs, interpolate2DMulti32Proc, 48);
VX_ABI_SIZE(ImageServicesProcs, 56);

// ---------------------------------------------------------------------------
// PSPixelMap / PSPixelMask: what displayPixels draws (the preview).
// ---------------------------------------------------------------------------

struct PSPixelMask {
    PSPixelMask* next;
    void* maskData;
    int32_t rowBytes;
    int32_t colBytes;
    int32_t maskDescription; // one of the k*PSMask values
};

VX_ABI_OFFSET(PSPixelMask, next, 0);
VX_ABI_OFFSET(PSPixelMask, maskData, 8);
VX_ABI_OFFSET(PSPixelMask, rowBytes, 16);
VX_ABI_OFFSET(PSPixelMask, colBytes, 20);
VX_ABI_OFFSET(PSPixelMask, maskDescription, 24);
VX_ABI_SIZE(PSPixelMask, 32);

// Version 2 layout; a version 1 map ends after maskPhaseCol (72 bytes).
struct PSPixelMap {
    int32_t version;
    VRect bounds;
    int32_t imageMode; // one of the plugInMode* values
    int32_t rowBytes;
    int32_t colBytes;
    int32_t planeBytes;
    void* baseAddr;
    // version >= 1
    PSPixelMask* mat;
    PSPixelMask* masks;
    int32_t maskPhaseRow;
    int32_t maskPhaseCol;
    // version >= 2
    void* pixelOverlays;
    uint32_t colorManagementOptions;
};

VX_ABI_OFFSET(PSPixelMap, version, 0);
VX_ABI_OFFSET(PSPixelMap, bounds, 4);
VX_ABI_OFFSET(PSPixelMap, imageMode, 20);
VX_ABI_OFFSET(PSPixelMap, rowBytes, 24);
VX_ABI_OFFSET(PSPixelMap, colBytes, 28);
VX_ABI_OFFSET(PSPixelMap, planeBytes, 32);
VX_ABI_OFFSET(PSPixelMap, baseAddr, 40);
VX_ABI_OFFSET(PSPixelMap, mat, 48);
VX_ABI_OFFSET(PSPixelMap, masks, 56);
VX_ABI_OFFSET(PSPixelMap, maskPhaseRow, 64);
VX_ABI_OFFSET(PSPixelMap, maskPhaseCol, 68);
VX_ABI_OFFSET(PSPixelMap, pixelOverlays, 72);
VX_ABI_OFFSET(PSPixelMap, colorManagementOptions, 80);
VX_ABI_SIZE(PSPixelMap, 88);

// ---------------------------------------------------------------------------
// Scripting: PIDescriptorParameters and the descriptor reader/writer tables
// that record the filter's settings into actions and replay them.
// ---------------------------------------------------------------------------

// A reference to an object in a descriptor (a class plus one key form).
struct PIDescriptorSimpleReference {
    DescriptorClassID desiredClass;
    DescriptorFormID keyForm;
    struct KeyData {
        Str255 name;
        int32_t index;
        DescriptorTypeID type;
        DescriptorEnumID value;
    } keyData;
};

VX_ABI_OFFSET(PIDescriptorSimpleReference, desiredClass, 0);
VX_ABI_OFFSET(PIDescriptorSimpleReference, keyForm, 4);
VX_ABI_OFFSET(PIDescriptorSimpleReference, keyData, 8);
VX_ABI_OFFSET(PIDescriptorSimpleReference, keyData.name, 8);
VX_ABI_OFFSET(PIDescriptorSimpleReference, keyData.index, 264);
VX_ABI_OFFSET(PIDescriptorSimpleReference, keyData.type, 268);
VX_ABI_OFFSET(PIDescriptorSimpleReference, keyData.value, 272);
VX_ABI_SIZE(PIDescriptorSimpleReference, 276);

// Writing: open, put keys, close; close hands back the descriptor handle the
// plug-in stores into PIDescriptorParameters.descriptor. Doubles go by pointer.
typedef PIWriteDescriptor (*OpenWriteDescriptorProc)(void);
typedef OSErr (*CloseWriteDescriptorProc)(PIWriteDescriptor descriptor, PIDescriptorHandle* newDescriptor);
typedef OSErr (*PutIntegerProc)(PIWriteDescriptor descriptor, DescriptorKeyID key, int32_t value);
typedef OSErr (*PutFloatProc)(PIWriteDescriptor descriptor, DescriptorKeyID key, const double* value);
typedef OSErr (*PutUnitFloatProc)(PIWriteDescriptor descriptor, DescriptorKeyID key, DescriptorUnitID unit,
                                  const double* value);
typedef OSErr (*PutBooleanProc)(PIWriteDescriptor descriptor, DescriptorKeyID key, Boolean value);
typedef OSErr (*PutTextProc)(PIWriteDescriptor descriptor, DescriptorKeyID key, Handle textHandle);
typedef OSErr (*PutAliasProc)(PIWriteDescriptor descriptor, DescriptorKeyID key, Handle aliasHandle);
typedef OSErr (*PutEnumeratedProc)(PIWriteDescriptor descriptor, DescriptorKeyID key, DescriptorTypeID type,
                                   DescriptorEnumID value);
typedef OSErr (*PutClassProc)(PIWriteDescriptor descriptor, DescriptorKeyID key, DescriptorTypeID value);
typedef OSErr (*PutSimpleReferenceProc)(PIWriteDescriptor descriptor, DescriptorKeyID key,
                                        const PIDescriptorSimpleReference* value);
typedef OSErr (*PutObjectProc)(PIWriteDescriptor descriptor, DescriptorKeyID key, DescriptorTypeID type,
                               PIDescriptorHandle value);
typedef OSErr (*PutCountProc)(PIWriteDescriptor descriptor, DescriptorKeyID key, uint32_t count);
typedef OSErr (*PutStringProc)(PIWriteDescriptor descriptor, DescriptorKeyID key, const uint8_t* pascalString);
typedef OSErr (*PutScopedClassProc)(PIWriteDescriptor descriptor, DescriptorKeyID key, DescriptorTypeID value);
typedef OSErr (*PutScopedObjectProc)(PIWriteDescriptor descriptor, DescriptorKeyID key, DescriptorTypeID type,
                                     PIDescriptorHandle value);

struct WriteDescriptorProcs {
    int16_t writeDescriptorProcsVersion;
    int16_t numWriteDescriptorProcs;
    OpenWriteDescriptorProc openWriteDescriptorProc;
    CloseWriteDescriptorProc closeWriteDescriptorProc;
    PutIntegerProc putIntegerProc;
    PutFloatProc putFloatProc;
    PutUnitFloatProc putUnitFloatProc;
    PutBooleanProc putBooleanProc;
    PutTextProc putTextProc;
    PutAliasProc putAliasProc;
    PutEnumeratedProc putEnumeratedProc;
    PutClassProc putClassProc;
    PutSimpleReferenceProc putSimpleReferenceProc;
    PutObjectProc putObjectProc;
    PutCountProc putCountProc;
    PutStringProc putStringProc;
    PutScopedClassProc putScopedClassProc;
    PutScopedObjectProc putScopedObjectProc;
};

VX_ABI_OFFSET(WriteDescriptorProcs, writeDescriptorProcsVersion, 0);
VX_ABI_OFFSET(WriteDescriptorProcs, numWriteDescriptorProcs, 2);
VX_ABI_OFFSET(WriteDescriptorProcs, openWriteDescriptorProc, 8);
VX_ABI_OFFSET(WriteDescriptorProcs, closeWriteDescriptorProc, 16);
VX_ABI_OFFSET(WriteDescriptorProcs, putIntegerProc, 24);
VX_ABI_OFFSET(WriteDescriptorProcs, putFloatProc, 32);
VX_ABI_OFFSET(WriteDescriptorProcs, putUnitFloatProc, 40);
VX_ABI_OFFSET(WriteDescriptorProcs, putBooleanProc, 48);
VX_ABI_OFFSET(WriteDescriptorProcs, putTextProc, 56);
VX_ABI_OFFSET(WriteDescriptorProcs, putAliasProc, 64);
VX_ABI_OFFSET(WriteDescriptorProcs, putEnumeratedProc, 72);
VX_ABI_OFFSET(WriteDescriptorProcs, putClassProc, 80);
VX_ABI_OFFSET(WriteDescriptorProcs, putSimpleReferenceProc, 88);
VX_ABI_OFFSET(WriteDescriptorProcs, putObjectProc, 96);
VX_ABI_OFFSET(WriteDescriptorProcs, putCountProc, 104);
VX_ABI_OFFSET(WriteDescriptorProcs, putStringProc, 112);
VX_ABI_OFFSET(WriteDescriptorProcs, putScopedClassProc, 120);
VX_ABI_OFFSET(WriteDescriptorProcs, putScopedObjectProc, 128);
VX_ABI_SIZE(WriteDescriptorProcs, 136);

// Reading: open with a 0-terminated key array (may be just {0}), loop on
// getKeyProc until it returns 0, read each value, close. Members are in table
// order, not alphabetical.
typedef PIReadDescriptor (*OpenReadDescriptorProc)(PIDescriptorHandle descriptor, DescriptorKeyID* keyArray);
typedef OSErr (*CloseReadDescriptorProc)(PIReadDescriptor descriptor);
typedef Boolean (*GetKeyProc)(PIReadDescriptor descriptor, DescriptorKeyID* key, DescType* type, int32_t* flags);
typedef OSErr (*GetIntegerProc)(PIReadDescriptor descriptor, int32_t* value);
typedef OSErr (*GetFloatProc)(PIReadDescriptor descriptor, double* value);
typedef OSErr (*GetUnitFloatProc)(PIReadDescriptor descriptor, DescriptorUnitID* unit, double* value);
typedef OSErr (*GetBooleanProc)(PIReadDescriptor descriptor, Boolean* value);
typedef OSErr (*GetTextProc)(PIReadDescriptor descriptor, Handle* text); // caller disposes *text
typedef OSErr (*GetAliasProc)(PIReadDescriptor descriptor, Handle* alias);
typedef OSErr (*GetEnumeratedProc)(PIReadDescriptor descriptor, DescriptorEnumID* value);
typedef OSErr (*GetClassProc)(PIReadDescriptor descriptor, DescriptorTypeID* value);
typedef OSErr (*GetSimpleReferenceProc)(PIReadDescriptor descriptor, PIDescriptorSimpleReference* value);
typedef OSErr (*GetObjectProc)(PIReadDescriptor descriptor, DescriptorTypeID* type, PIDescriptorHandle* value);
typedef OSErr (*GetCountProc)(PIReadDescriptor descriptor, uint32_t* count);
typedef OSErr (*GetStringProc)(PIReadDescriptor descriptor, uint8_t* str255); // 256-byte Pascal string buffer
typedef OSErr (*GetPinnedIntegerProc)(PIReadDescriptor descriptor, int32_t min, int32_t max, int32_t* value);
typedef OSErr (*GetPinnedFloatProc)(PIReadDescriptor descriptor, const double* min, const double* max, double* value);
typedef OSErr (*GetPinnedUnitFloatProc)(PIReadDescriptor descriptor, const double* min, const double* max,
                                        DescriptorUnitID* unit, double* value);

struct ReadDescriptorProcs {
    int16_t readDescriptorProcsVersion;
    int16_t numReadDescriptorProcs;
    OpenReadDescriptorProc openReadDescriptorProc;
    CloseReadDescriptorProc closeReadDescriptorProc;
    GetKeyProc getKeyProc;
    GetIntegerProc getIntegerProc;
    GetFloatProc getFloatProc;
    GetUnitFloatProc getUnitFloatProc;
    GetBooleanProc getBooleanProc;
    GetTextProc getTextProc;
    GetAliasProc getAliasProc;
    GetEnumeratedProc getEnumeratedProc;
    GetClassProc getClassProc;
    GetSimpleReferenceProc getSimpleReferenceProc;
    GetObjectProc getObjectProc;
    GetCountProc getCountProc;
    GetStringProc getStringProc;
    GetPinnedIntegerProc getPinnedIntegerProc;
    GetPinnedFloatProc getPinnedFloatProc;
    GetPinnedUnitFloatProc getPinnedUnitFloatProc;
};

VX_ABI_OFFSET(ReadDescriptorProcs, readDescriptorProcsVersion, 0);
VX_ABI_OFFSET(ReadDescriptorProcs, numReadDescriptorProcs, 2);
VX_ABI_OFFSET(ReadDescriptorProcs, openReadDescriptorProc, 8);
VX_ABI_OFFSET(ReadDescriptorProcs, closeReadDescriptorProc, 16);
VX_ABI_OFFSET(ReadDescriptorProcs, getKeyProc, 24);
VX_ABI_OFFSET(ReadDescriptorProcs, getIntegerProc, 32);
VX_ABI_OFFSET(ReadDescriptorProcs, getFloatProc, 40);
VX_ABI_OFFSET(ReadDescriptorProcs, getUnitFloatProc, 48);
VX_ABI_OFFSET(ReadDescriptorProcs, getBooleanProc, 56);
VX_ABI_OFFSET(ReadDescriptorProcs, getTextProc, 64);
VX_ABI_OFFSET(ReadDescriptorProcs, getAliasProc, 72);
VX_ABI_OFFSET(ReadDescriptorProcs, getEnumeratedProc, 80);
VX_ABI_OFFSET(ReadDescriptorProcs, getClassProc, 88);
VX_ABI_OFFSET(ReadDescriptorProcs, getSimpleReferenceProc, 96);
VX_ABI_OFFSET(ReadDescriptorProcs, getObjectProc, 104);
VX_ABI_OFFSET(ReadDescriptorProcs, getCountProc, 112);
VX_ABI_OFFSET(ReadDescriptorProcs, getStringProc, 120);
VX_ABI_OFFSET(ReadDescriptorProcs, getPinnedIntegerProc, 128);
VX_ABI_OFFSET(ReadDescriptorProcs, getPinnedFloatProc, 136);
VX_ABI_OFFSET(ReadDescriptorProcs, getPinnedUnitFloatProc, 144);
VX_ABI_SIZE(ReadDescriptorProcs, 152);

struct PIDescriptorParameters {
    int16_t descriptorParametersVersion;
    int16_t playInfo;   // host -> plug-in: plugInDialogDontDisplay / Display / Silent
    int16_t recordInfo; // plug-in <-> host: plugInDialogOptional / Required / None
    PIDescriptorHandle descriptor;
    WriteDescriptorProcs* writeDescriptorProcs;
    ReadDescriptorProcs* readDescriptorProcs;
};

VX_ABI_OFFSET(PIDescriptorParameters, descriptorParametersVersion, 0);
VX_ABI_OFFSET(PIDescriptorParameters, playInfo, 2);
VX_ABI_OFFSET(PIDescriptorParameters, recordInfo, 4);
VX_ABI_OFFSET(PIDescriptorParameters, descriptor, 8);
VX_ABI_OFFSET(PIDescriptorParameters, writeDescriptorProcs, 16);
VX_ABI_OFFSET(PIDescriptorParameters, readDescriptorProcs, 24);
VX_ABI_SIZE(PIDescriptorParameters, 32);

// ---------------------------------------------------------------------------
// ColorServicesInfo: argument of FilterRecord.colorServices (colour picker,
// colour conversion, sampling). The caller sets infoSize to sizeof (56).
// ---------------------------------------------------------------------------

struct ColorServicesInfo {
    int32_t infoSize;
    int16_t selector;    // plugIncolorServices* selector
    int16_t sourceSpace; // plugIncolorServices*Space
    int16_t resultSpace;
    Boolean resultGamutInfoValid;
    Boolean resultInGamut;
    void* reservedSourceSpaceInfo; // must be NULL
    void* reservedResultSpaceInfo; // must be NULL
    int16_t colorComponents[4];
    void* reserved; // must be NULL
    union {
        Str255* pickerPrompt;
        Point* globalSamplePoint;
        int32_t specialColorID; // plugIncolorServicesForegroundColor / BackgroundColor
    } selectorParameter;
};

VX_ABI_OFFSET(ColorServicesInfo, infoSize, 0);
VX_ABI_OFFSET(ColorServicesInfo, selector, 4);
VX_ABI_OFFSET(ColorServicesInfo, sourceSpace, 6);
VX_ABI_OFFSET(ColorServicesInfo, resultSpace, 8);
VX_ABI_OFFSET(ColorServicesInfo, resultGamutInfoValid, 10);
VX_ABI_OFFSET(ColorServicesInfo, resultInGamut, 11);
VX_ABI_OFFSET(ColorServicesInfo, reservedSourceSpaceInfo, 16);
VX_ABI_OFFSET(ColorServicesInfo, reservedResultSpaceInfo, 24);
VX_ABI_OFFSET(ColorServicesInfo, colorComponents, 32);
VX_ABI_OFFSET(ColorServicesInfo, reserved, 40);
VX_ABI_OFFSET(ColorServicesInfo, selectorParameter, 48);
VX_ABI_SIZE(ColorServicesInfo, 56);

// ---------------------------------------------------------------------------
// Channel ports: pixel access by port, with optional scaling.
// ---------------------------------------------------------------------------

struct PSScaling {
    VRect sourceRect;
    VRect destinationRect;
};

VX_ABI_OFFSET(PSScaling, sourceRect, 0);
VX_ABI_OFFSET(PSScaling, destinationRect, 16);
VX_ABI_SIZE(PSScaling, 32);

// Describes caller memory for a pixel transfer; the strides are in BITS.
struct PixelMemoryDesc {
    void* data;
    int32_t rowBits;   // bits per row
    int32_t colBits;   // bits between neighbouring columns
    int32_t bitOffset; // bit offset of the first sample (depth * channel index for interleaved data)
    int32_t depth;     // bits per sample
};

VX_ABI_OFFSET(PixelMemoryDesc, data, 0);
VX_ABI_OFFSET(PixelMemoryDesc, rowBits, 8);
VX_ABI_OFFSET(PixelMemoryDesc, colBits, 12);
VX_ABI_OFFSET(PixelMemoryDesc, bitOffset, 16);
VX_ABI_OFFSET(PixelMemoryDesc, depth, 20);
VX_ABI_SIZE(PixelMemoryDesc, 24);

typedef OSErr (*ReadPixelsProc)(ChannelReadPort port, const PSScaling* scaling, const VRect* writeRect,
                                const PixelMemoryDesc* destination, VRect* wroteRect);
typedef OSErr (*WriteBasePixelsProc)(ChannelWritePort port, const VRect* writeRect, const PixelMemoryDesc* source);
typedef OSErr (*ReadPortForWritePortProc)(ChannelReadPort* readPort, ChannelWritePort writePort);

struct ChannelPortProcs {
    int16_t channelPortProcsVersion;
    int16_t numChannelPortProcs;
    ReadPixelsProc readPixelsProc;
    WriteBasePixelsProc writeBasePixelsProc;
    ReadPortForWritePortProc readPortForWritePortProc;
};

VX_ABI_OFFSET(ChannelPortProcs, channelPortProcsVersion, 0);
VX_ABI_OFFSET(ChannelPortProcs, numChannelPortProcs, 2);
VX_ABI_OFFSET(ChannelPortProcs, readPixelsProc, 8);
VX_ABI_OFFSET(ChannelPortProcs, writeBasePixelsProc, 16);
VX_ABI_OFFSET(ChannelPortProcs, readPortForWritePortProc, 24);
VX_ABI_SIZE(ChannelPortProcs, 32);

// ---------------------------------------------------------------------------
// Document description (FilterRecord.documentInfo): the document's channels
// as linked lists of ReadChannelDesc, and from maxVersion 2 on its layers.
// These records are owned by the host and may be longer than declared here;
// never copy them by value.
// ---------------------------------------------------------------------------

// Version 0 layout (80 bytes): no padding between channelType and contextInfo.
struct ReadChannelDesc {
    int32_t minVersion;
    int32_t maxVersion;
    ReadChannelDesc* next;
    PIChannelPort port;
    VRect bounds;
    int32_t depth;
    VPoint tileSize;
    VPoint tileOrigin;
    Boolean target;
    Boolean shown;
    int16_t channelType; // one of the ct* values
    void* contextInfo;
    const char* name;
};

VX_ABI_OFFSET(ReadChannelDesc, minVersion, 0);
VX_ABI_OFFSET(ReadChannelDesc, maxVersion, 4);
VX_ABI_OFFSET(ReadChannelDesc, next, 8);
VX_ABI_OFFSET(ReadChannelDesc, port, 16);
VX_ABI_OFFSET(ReadChannelDesc, bounds, 24);
VX_ABI_OFFSET(ReadChannelDesc, depth, 40);
VX_ABI_OFFSET(ReadChannelDesc, tileSize, 44);
VX_ABI_OFFSET(ReadChannelDesc, tileOrigin, 52);
VX_ABI_OFFSET(ReadChannelDesc, target, 60);
VX_ABI_OFFSET(ReadChannelDesc, shown, 61);
VX_ABI_OFFSET(ReadChannelDesc, channelType, 62);
VX_ABI_OFFSET(ReadChannelDesc, contextInfo, 64);
VX_ABI_OFFSET(ReadChannelDesc, name, 72);
VX_ABI_SIZE(ReadChannelDesc, 80);

// One layer of the document (singly linked). Only the leading fields are
// declared; the host's record continues past unicodeName.
struct ReadLayerDesc {
    int32_t minVersion;
    int32_t maxVersion;
    ReadLayerDesc* next;
    ReadChannelDesc* compositeChannelsList;
    ReadChannelDesc* transparency;
    uint8_t reserved[32];        // content unknown
    const uint16_t* unicodeName; // UTF-16 layer name
};

VX_ABI_OFFSET(ReadLayerDesc, minVersion, 0);
VX_ABI_OFFSET(ReadLayerDesc, maxVersion, 4);
VX_ABI_OFFSET(ReadLayerDesc, next, 8);
VX_ABI_OFFSET(ReadLayerDesc, compositeChannelsList, 16);
VX_ABI_OFFSET(ReadLayerDesc, transparency, 24);
VX_ABI_OFFSET(ReadLayerDesc, reserved, 32);
VX_ABI_OFFSET(ReadLayerDesc, unicodeName, 64);
VX_ABI_SIZE(ReadLayerDesc, 72);

struct ReadImageDocumentDesc {
    int32_t minVersion;
    int32_t maxVersion;
    // version 0
    int32_t imageMode; // one of the plugInMode* values
    int32_t depth;
    VRect bounds;
    Fixed hResolution;
    Fixed vResolution;
    uint8_t redLUT[256];
    uint8_t greenLUT[256];
    uint8_t blueLUT[256];
    ReadChannelDesc* targetCompositeChannels;
    ReadChannelDesc* targetTransparency;
    ReadChannelDesc* targetLayerMask;
    ReadChannelDesc* mergedCompositeChannels;
    ReadChannelDesc* mergedTransparency;
    ReadChannelDesc* alphaChannels;
    ReadChannelDesc* selection;
    // version 1
    void* fileSpec; // platform file reference
    // version 2: valid only when maxVersion >= 2
    ReadLayerDesc* layersDescriptor;
    uint8_t reserved[32]; // content unknown
    int32_t layerCount;
};

VX_ABI_OFFSET(ReadImageDocumentDesc, minVersion, 0);
VX_ABI_OFFSET(ReadImageDocumentDesc, maxVersion, 4);
VX_ABI_OFFSET(ReadImageDocumentDesc, imageMode, 8);
VX_ABI_OFFSET(ReadImageDocumentDesc, depth, 12);
VX_ABI_OFFSET(ReadImageDocumentDesc, bounds, 16);
VX_ABI_OFFSET(ReadImageDocumentDesc, hResolution, 32);
VX_ABI_OFFSET(ReadImageDocumentDesc, vResolution, 36);
VX_ABI_OFFSET(ReadImageDocumentDesc, redLUT, 40);
VX_ABI_OFFSET(ReadImageDocumentDesc, greenLUT, 296);
VX_ABI_OFFSET(ReadImageDocumentDesc, blueLUT, 552);
VX_ABI_OFFSET(ReadImageDocumentDesc, targetCompositeChannels, 808);
VX_ABI_OFFSET(ReadImageDocumentDesc, targetTransparency, 816);
VX_ABI_OFFSET(ReadImageDocumentDesc, targetLayerMask, 824);
VX_ABI_OFFSET(ReadImageDocumentDesc, mergedCompositeChannels, 832);
VX_ABI_OFFSET(ReadImageDocumentDesc, mergedTransparency, 840);
VX_ABI_OFFSET(ReadImageDocumentDesc, alphaChannels, 848);
VX_ABI_OFFSET(ReadImageDocumentDesc, selection, 856);
VX_ABI_OFFSET(ReadImageDocumentDesc, fileSpec, 864);
VX_ABI_OFFSET(ReadImageDocumentDesc, layersDescriptor, 872);
VX_ABI_OFFSET(ReadImageDocumentDesc, reserved, 880);
VX_ABI_OFFSET(ReadImageDocumentDesc, layerCount, 912);

// ---------------------------------------------------------------------------
// SPBasicSuite: the suite broker. AcquireSuite(name, version, &suite) hands out
// the suites below; every successful acquire is paired with ReleaseSuite.
// ---------------------------------------------------------------------------

typedef SPErr (*SPBasicAcquireSuiteProc)(const char* name, int32_t version, const void** suite);
typedef SPErr (*SPBasicReleaseSuiteProc)(const char* name, int32_t version);
typedef SPBoolean (*SPBasicIsEqualProc)(const char* token1, const char* token2);
typedef SPErr (*SPBasicAllocateBlockProc)(size_t size, void** block);
typedef SPErr (*SPBasicFreeBlockProc)(void* block);
typedef SPErr (*SPBasicReallocateBlockProc)(void* block, size_t newSize, void** newBlock);
typedef SPErr (*SPBasicUndefinedProc)(void);

struct SPBasicSuite {
    SPBasicAcquireSuiteProc AcquireSuite;
    SPBasicReleaseSuiteProc ReleaseSuite;
    SPBasicIsEqualProc IsEqual;
    SPBasicAllocateBlockProc AllocateBlock;
    SPBasicFreeBlockProc FreeBlock;
    SPBasicReallocateBlockProc ReallocateBlock;
    SPBasicUndefinedProc Undefined;
};

VX_ABI_OFFSET(SPBasicSuite, AcquireSuite, 0);
VX_ABI_OFFSET(SPBasicSuite, ReleaseSuite, 8);
VX_ABI_OFFSET(SPBasicSuite, IsEqual, 16);
VX_ABI_OFFSET(SPBasicSuite, AllocateBlock, 24);
VX_ABI_OFFSET(SPBasicSuite, FreeBlock, 32);
VX_ABI_OFFSET(SPBasicSuite, ReallocateBlock, 40);
VX_ABI_OFFSET(SPBasicSuite, Undefined, 48);
VX_ABI_SIZE(SPBasicSuite, 56);

// ---------------------------------------------------------------------------
// AboutRecord: the 2nd entry-point argument for filterSelectorAbout, in place
// of FilterRecord.
// ---------------------------------------------------------------------------

struct AboutRecord {
    PlatformData* platformData;
    SPBasicSuite* sSPBasic;
    SPPluginRef plugInRef;
    uint8_t reserved[244];
};

VX_ABI_OFFSET(AboutRecord, platformData, 0);
VX_ABI_OFFSET(AboutRecord, sSPBasic, 8);
VX_ABI_OFFSET(AboutRecord, plugInRef, 16);
VX_ABI_OFFSET(AboutRecord, reserved, 24);
VX_ABI_SIZE(AboutRecord, 272); // 268 bytes of fields + 4 bytes tail padding

// ---------------------------------------------------------------------------
// FilterRecord: the 2nd entry-point argument for selectors 1-5; carries the
// image, the selection and every host callback.
//
// The host lays this record out with 4-byte packing, so pointers and 64-bit
// fields may sit at offsets that are only 4-aligned (abortProc at 4,
// getPropertyObsolete at 292, iCCprofileData at 484). Natural alignment would
// move every field from abortProc on.
//
// Hosts differ in how much of the tail they provide: some end the record after
// canUseICCProfiles (556 bytes, zero-filled reserve), so hasImageScrap,
// bigDocumentData and later fields read 0 there and maxSpace64 reaches past
// the end; read the 64-bit space fields only from hosts known to fill them.
// ---------------------------------------------------------------------------

#pragma pack(push, 4)
struct FilterRecord {
    int32_t serialNumber; // hosts pass 0
    TestAbortProc abortProc;
    ProgressProc progressProc;
    Handle parameters; // owned by the plug-in; NULL on the first call
    Point imageSize;
    int16_t planes;
    Rect filterRect;
    RGBColor background; // superseded by backColor
    RGBColor foreground; // superseded by foreColor
    int32_t maxSpace;
    int32_t bufferSpace;
    Rect inRect;
    int16_t inLoPlane;
    int16_t inHiPlane;
    Rect outRect;
    int16_t outLoPlane;
    int16_t outHiPlane;
    void* inData;
    int32_t inRowBytes;
    void* outData;
    int32_t outRowBytes;
    Boolean isFloating;
    Boolean haveMask;
    Boolean autoMask;
    Rect maskRect;
    void* maskData;
    int32_t maskRowBytes;
    FilterColor backColor; // in the image's own colour space
    FilterColor foreColor;
    OSType hostSig;
    HostProc hostProc;
    int16_t imageMode; // one of the plugInMode* values
    Fixed imageHRes;
    Fixed imageVRes;
    Point floatCoord;
    Point wholeSize;
    PlugInMonitor monitor;
    PlatformData* platformData; // points to {hwnd}, not the window itself
    BufferProcs* bufferProcs;
    ResourceProcs* resourceProcs;
    ProcessEventProc processEvent;
    DisplayPixelsProc displayPixels;
    HandleProcs* handleProcs;

    Boolean supportsDummyChannels;
    Boolean supportsAlternateLayouts;
    int16_t wantLayout;      // piLayout* value
    int16_t filterCase;      // filterCase* value
    int16_t dummyPlaneValue; // 0..255, or -1 to leave undefined
    void* premiereHook;
    AdvanceStateProc advanceState;
    Boolean supportsAbsolute;
    Boolean wantsAbsolute;
    GetPropertyProc getPropertyObsolete;
    Boolean cannotUndo;
    Boolean supportsPadding;
    int16_t inputPadding; // 0..255 fill value, or a plugIn*Padding/EdgeReplication value
    int16_t outputPadding;
    int16_t maskPadding;
    uint8_t samplingSupport; // hostDoesNotSupportSampling / Integral / Fractional
    uint8_t reservedByte;
    Fixed inputRate;
    Fixed maskRate;
    ColorServicesProc colorServices;
    int16_t inLayerPlanes;
    int16_t inTransparencyMask;
    int16_t inLayerMasks;
    int16_t inInvertedLayerMasks;
    int16_t inNonLayerPlanes;
    int16_t outLayerPlanes;
    int16_t outTransparencyMask;
    int16_t outLayerMasks;
    int16_t outInvertedLayerMasks;
    int16_t outNonLayerPlanes;
    int16_t absLayerPlanes;
    int16_t absTransparencyMask;
    int16_t absLayerMasks;
    int16_t absInvertedLayerMasks;
    int16_t absNonLayerPlanes;
    int16_t inPreDummyPlanes;
    int16_t inPostDummyPlanes;
    int16_t outPreDummyPlanes;
    int16_t outPostDummyPlanes;
    int32_t inColumnBytes;
    int32_t inPlaneBytes;
    int32_t outColumnBytes;
    int32_t outPlaneBytes;

    ImageServicesProcs* imageServicesProcs;
    PropertyProcs* propertyProcs;
    int16_t inTileHeight;
    int16_t inTileWidth;
    Point inTileOrigin;
    int16_t absTileHeight;
    int16_t absTileWidth;
    Point absTileOrigin;
    int16_t outTileHeight;
    int16_t outTileWidth;
    Point outTileOrigin;
    int16_t maskTileHeight;
    int16_t maskTileWidth;
    Point maskTileOrigin;

    PIDescriptorParameters* descriptorParameters;
    Str255* errorString; // message shown when the plug-in returns errReportString
    ChannelPortProcs* channelPortProcs;
    ReadImageDocumentDesc* documentInfo;

    SPBasicSuite* sSPBasic;
    SPPluginRef plugInRef;
    int32_t depth; // bits per channel: 1, 8, 16 or 32

    Handle iCCprofileData;
    int32_t iCCprofileSize;
    int32_t canUseICCProfiles;

    int32_t hasImageScrap;
    BigDocumentStruct* bigDocumentData; // NULL when the host has no big-document support
    void* input3DScene;
    void* output3DScene;
    Boolean createNewLayer;
    Handle iCCWorkingProfileData;
    int32_t iCCWorkingProfileSize;
    int64_t bufferSpace64;
    int64_t maxSpace64;
    uint8_t reserved[48]; // later fields, content unknown; current hosts allocate all 608 bytes
};
#pragma pack(pop)

VX_ABI_OFFSET(FilterRecord, serialNumber, 0);
VX_ABI_OFFSET(FilterRecord, abortProc, 4);
VX_ABI_OFFSET(FilterRecord, progressProc, 12);
VX_ABI_OFFSET(FilterRecord, parameters, 20);
VX_ABI_OFFSET(FilterRecord, imageSize, 28);
VX_ABI_OFFSET(FilterRecord, planes, 32);
VX_ABI_OFFSET(FilterRecord, filterRect, 34);
VX_ABI_OFFSET(FilterRecord, background, 42);
VX_ABI_OFFSET(FilterRecord, foreground, 48);
VX_ABI_OFFSET(FilterRecord, maxSpace, 56);
VX_ABI_OFFSET(FilterRecord, bufferSpace, 60);
VX_ABI_OFFSET(FilterRecord, inRect, 64);
VX_ABI_OFFSET(FilterRecord, inLoPlane, 72);
VX_ABI_OFFSET(FilterRecord, inHiPlane, 74);
VX_ABI_OFFSET(FilterRecord, outRect, 76);
VX_ABI_OFFSET(FilterRecord, outLoPlane, 84);
VX_ABI_OFFSET(FilterRecord, outHiPlane, 86);
VX_ABI_OFFSET(FilterRecord, inData, 88);
VX_ABI_OFFSET(FilterRecord, inRowBytes, 96);
VX_ABI_OFFSET(FilterRecord, outData, 100);
VX_ABI_OFFSET(FilterRecord, outRowBytes, 108);
VX_ABI_OFFSET(FilterRecord, isFloating, 112);
VX_ABI_OFFSET(FilterRecord, haveMask, 113);
VX_ABI_OFFSET(FilterRecord, autoMask, 114);
VX_ABI_OFFSET(FilterRecord, maskRect, 116);
VX_ABI_OFFSET(FilterRecord, maskData, 124);
VX_ABI_OFFSET(FilterRecord, maskRowBytes, 132);
VX_ABI_OFFSET(FilterRecord, backColor, 136);
VX_ABI_OFFSET(FilterRecord, foreColor, 140);
VX_ABI_OFFSET(FilterRecord, hostSig, 144);
VX_ABI_OFFSET(FilterRecord, hostProc, 148);
VX_ABI_OFFSET(FilterRecord, imageMode, 156);
VX_ABI_OFFSET(FilterRecord, imageHRes, 160);
VX_ABI_OFFSET(FilterRecord, imageVRes, 164);
VX_ABI_OFFSET(FilterRecord, floatCoord, 168);
VX_ABI_OFFSET(FilterRecord, wholeSize, 172);
VX_ABI_OFFSET(FilterRecord, monitor, 176);
VX_ABI_OFFSET(FilterRecord, platformData, 216);
VX_ABI_OFFSET(FilterRecord, bufferProcs, 224);
VX_ABI_OFFSET(FilterRecord, resourceProcs, 232);
VX_ABI_OFFSET(FilterRecord, processEvent, 240);
VX_ABI_OFFSET(FilterRecord, displayPixels, 248);
VX_ABI_OFFSET(FilterRecord, handleProcs, 256);
VX_ABI_OFFSET(FilterRecord, supportsDummyChannels, 264);
VX_ABI_OFFSET(FilterRecord, supportsAlternateLayouts, 265);
VX_ABI_OFFSET(FilterRecord, wantLayout, 266);
VX_ABI_OFFSET(FilterRecord, filterCase, 268);
VX_ABI_OFFSET(FilterRecord, dummyPlaneValue, 270);
VX_ABI_OFFSET(FilterRecord, premiereHook, 272);
VX_ABI_OFFSET(FilterRecord, advanceState, 280);
VX_ABI_OFFSET(FilterRecord, supportsAbsolute, 288);
VX_ABI_OFFSET(FilterRecord, wantsAbsolute, 289);
VX_ABI_OFFSET(FilterRecord, getPropertyObsolete, 292);
VX_ABI_OFFSET(FilterRecord, cannotUndo, 300);
VX_ABI_OFFSET(FilterRecord, supportsPadding, 301);
VX_ABI_OFFSET(FilterRecord, inputPadding, 302);
VX_ABI_OFFSET(FilterRecord, outputPadding, 304);
VX_ABI_OFFSET(FilterRecord, maskPadding, 306);
VX_ABI_OFFSET(FilterRecord, samplingSupport, 308);
VX_ABI_OFFSET(FilterRecord, reservedByte, 309);
VX_ABI_OFFSET(FilterRecord, inputRate, 312);
VX_ABI_OFFSET(FilterRecord, maskRate, 316);
VX_ABI_OFFSET(FilterRecord, colorServices, 320);
VX_ABI_OFFSET(FilterRecord, inLayerPlanes, 328);
VX_ABI_OFFSET(FilterRecord, inTransparencyMask, 330);
VX_ABI_OFFSET(FilterRecord, inLayerMasks, 332);
VX_ABI_OFFSET(FilterRecord, inInvertedLayerMasks, 334);
VX_ABI_OFFSET(FilterRecord, inNonLayerPlanes, 336);
VX_ABI_OFFSET(FilterRecord, outLayerPlanes, 338);
VX_ABI_OFFSET(FilterRecord, outTransparencyMask, 340);
VX_ABI_OFFSET(FilterRecord, outLayerMasks, 342);
VX_ABI_OFFSET(FilterRecord, outInvertedLayerMasks, 344);
VX_ABI_OFFSET(FilterRecord, outNonLayerPlanes, 346);
VX_ABI_OFFSET(FilterRecord, absLayerPlanes, 348);
VX_ABI_OFFSET(FilterRecord, absTransparencyMask, 350);
VX_ABI_OFFSET(FilterRecord, absLayerMasks, 352);
VX_ABI_OFFSET(FilterRecord, absInvertedLayerMasks, 354);
VX_ABI_OFFSET(FilterRecord, absNonLayerPlanes, 356);
VX_ABI_OFFSET(FilterRecord, inPreDummyPlanes, 358);
VX_ABI_OFFSET(FilterRecord, inPostDummyPlanes, 360);
VX_ABI_OFFSET(FilterRecord, outPreDummyPlanes, 362);
VX_ABI_OFFSET(FilterRecord, outPostDummyPlanes, 364);
VX_ABI_OFFSET(FilterRecord, inColumnBytes, 368);
VX_ABI_OFFSET(FilterRecord, inPlaneBytes, 372);
VX_ABI_OFFSET(FilterRecord, outColumnBytes, 376);
VX_ABI_OFFSET(FilterRecord, outPlaneBytes, 380);
VX_ABI_OFFSET(FilterRecord, imageServicesProcs, 384);
VX_ABI_OFFSET(FilterRecord, propertyProcs, 392);
VX_ABI_OFFSET(FilterRecord, inTileHeight, 400);
VX_ABI_OFFSET(FilterRecord, inTileWidth, 402);
VX_ABI_OFFSET(FilterRecord, inTileOrigin, 404);
VX_ABI_OFFSET(FilterRecord, absTileHeight, 408);
VX_ABI_OFFSET(FilterRecord, absTileWidth, 410);
VX_ABI_OFFSET(FilterRecord, absTileOrigin, 412);
VX_ABI_OFFSET(FilterRecord, outTileHeight, 416);
VX_ABI_OFFSET(FilterRecord, outTileWidth, 418);
VX_ABI_OFFSET(FilterRecord, outTileOrigin, 420);
VX_ABI_OFFSET(FilterRecord, maskTileHeight, 424);
VX_ABI_OFFSET(FilterRecord, maskTileWidth, 426);
VX_ABI_OFFSET(FilterRecord, maskTileOrigin, 428);
VX_ABI_OFFSET(FilterRecord, descriptorParameters, 432);
VX_ABI_OFFSET(FilterRecord, errorString, 440);
VX_ABI_OFFSET(FilterRecord, channelPortProcs, 448);
VX_ABI_OFFSET(FilterRecord, documentInfo, 456);
VX_ABI_OFFSET(FilterRecord, sSPBasic, 464);
VX_ABI_OFFSET(FilterRecord, plugInRef, 472);
VX_ABI_OFFSET(FilterRecord, depth, 480);
VX_ABI_OFFSET(FilterRecord, iCCprofileData, 484);
VX_ABI_OFFSET(FilterRecord, iCCprofileSize, 492);
VX_ABI_OFFSET(FilterRecord, canUseICCProfiles, 496);
VX_ABI_OFFSET(FilterRecord, hasImageScrap, 500);
VX_ABI_OFFSET(FilterRecord, bigDocumentData, 504);
VX_ABI_OFFSET(FilterRecord, input3DScene, 512);
VX_ABI_OFFSET(FilterRecord, output3DScene, 520);
VX_ABI_OFFSET(FilterRecord, createNewLayer, 528);
VX_ABI_OFFSET(FilterRecord, iCCWorkingProfileData, 532);
VX_ABI_OFFSET(FilterRecord, iCCWorkingProfileSize, 540);
VX_ABI_OFFSET(FilterRecord, bufferSpace64, 544);
VX_ABI_OFFSET(FilterRecord, maxSpace64, 552);
VX_ABI_OFFSET(FilterRecord, reserved, 560);
VX_ABI_SIZE(FilterRecord, 608);

// ---------------------------------------------------------------------------
// Suites acquired through SPBasicSuite. A suite is a bare table of function
// pointers (no version/count header), member i at offset 8*i.
// ---------------------------------------------------------------------------

// "Photoshop ColorSpace Suite for Plug-ins", version 1. Colour-space
// arguments are plugIncolorServices*Space values.
typedef SPErr (*PSColorSpaceMakeProc)(ColorID* colorID);
typedef SPErr (*PSColorSpaceDeleteProc)(ColorID* colorID);
typedef SPErr (*PSColorSpaceStuffComponentsProc)(ColorID colorID, int16_t colorSpace, uint8_t c0, uint8_t c1,
                                                 uint8_t c2, uint8_t c3);
typedef SPErr (*PSColorSpaceExtractComponentsProc)(ColorID colorID, int16_t colorSpace, uint8_t* c0, uint8_t* c1,
                                                   uint8_t* c2, uint8_t* c3, Boolean* gamutFlag);
typedef SPErr (*PSColorSpaceStuffXYZProc)(ColorID colorID, CS_XYZ xyz);
typedef SPErr (*PSColorSpaceExtractXYZProc)(ColorID colorID, CS_XYZ* xyz);
// Converts `count` colours in place. Bytes per entry: RGB/HSB/HSL/Lab/XYZ
// [pad, c0, c1, c2]; CMYK [c, m, y, k]; Gray [pad, pad, pad, g].
typedef SPErr (*PSColorSpaceConvert8Proc)(int16_t inputSpace, int16_t outputSpace, Color8* colors, int16_t count);
typedef SPErr (*PSColorSpaceConvert16Proc)(int16_t inputSpace, int16_t outputSpace, Color16* colors, int16_t count);
typedef SPErr (*PSColorSpaceGetNativeSpaceProc)(ColorID colorID, int16_t* nativeSpace);
typedef SPErr (*PSColorSpaceIsBookColorProc)(ColorID colorID, Boolean* isBookColor);
typedef SPErr (*PSColorSpaceExtractColorNameProc)(ColorID colorID, ASZString* colorName);
typedef SPErr (*PSColorSpacePickColorProc)(ColorID* colorID, ASZString prompt);
typedef SPErr (*PSColorSpaceConvert8to16Proc)(Color8* inColors, Color16* outColors, int16_t count);
typedef SPErr (*PSColorSpaceConvert16to8Proc)(Color16* inColors, Color8* outColors, int16_t count);
typedef SPErr (*PSColorSpaceConvertToMonitorRGBProc)(int16_t inputSpace, Color8* inColors, Color8* outColors,
                                                     int16_t count);

struct PSColorSpaceSuite1 {
    PSColorSpaceMakeProc Make;
    PSColorSpaceDeleteProc Delete;
    PSColorSpaceStuffComponentsProc StuffComponents;
    PSColorSpaceExtractComponentsProc ExtractComponents;
    PSColorSpaceStuffXYZProc StuffXYZ;
    PSColorSpaceExtractXYZProc ExtractXYZ;
    PSColorSpaceConvert8Proc Convert8;
    PSColorSpaceConvert16Proc Convert16;
    PSColorSpaceGetNativeSpaceProc GetNativeSpace;
    PSColorSpaceIsBookColorProc IsBookColor;
    PSColorSpaceExtractColorNameProc ExtractColorName;
    PSColorSpacePickColorProc PickColor;
    PSColorSpaceConvert8to16Proc Convert8to16;
    PSColorSpaceConvert16to8Proc Convert16to8;
    PSColorSpaceConvertToMonitorRGBProc ConvertToMonitorRGB;
};

VX_ABI_OFFSET(PSColorSpaceSuite1, Make, 0);
VX_ABI_OFFSET(PSColorSpaceSuite1, Delete, 8);
VX_ABI_OFFSET(PSColorSpaceSuite1, StuffComponents, 16);
VX_ABI_OFFSET(PSColorSpaceSuite1, ExtractComponents, 24);
VX_ABI_OFFSET(PSColorSpaceSuite1, StuffXYZ, 32);
VX_ABI_OFFSET(PSColorSpaceSuite1, ExtractXYZ, 40);
VX_ABI_OFFSET(PSColorSpaceSuite1, Convert8, 48);
VX_ABI_OFFSET(PSColorSpaceSuite1, Convert16, 56);
VX_ABI_OFFSET(PSColorSpaceSuite1, GetNativeSpace, 64);
VX_ABI_OFFSET(PSColorSpaceSuite1, IsBookColor, 72);
VX_ABI_OFFSET(PSColorSpaceSuite1, ExtractColorName, 80);
VX_ABI_OFFSET(PSColorSpaceSuite1, PickColor, 88);
VX_ABI_OFFSET(PSColorSpaceSuite1, Convert8to16, 96);
VX_ABI_OFFSET(PSColorSpaceSuite1, Convert16to8, 104);
VX_ABI_OFFSET(PSColorSpaceSuite1, ConvertToMonitorRGB, 112);
VX_ABI_SIZE(PSColorSpaceSuite1, 120);

// "Photoshop ChannelPorts Suite for Plug-ins", version 2 (version 3 keeps
// CanRead and ReadPixelsFromLevel at the same places).
typedef SPErr (*PSChannelPortsCountLevelsProc)(PIChannelPort port, int32_t* count);
typedef SPErr (*PSChannelPortsGetDepthProc)(PIChannelPort port, int32_t level, int32_t* depth);
typedef SPErr (*PSChannelPortsGetDataBoundsProc)(PIChannelPort port, int32_t level, VRect* bounds);
typedef SPErr (*PSChannelPortsGetWriteLimitProc)(PIChannelPort port, int32_t level, VRect* writeBounds);
typedef SPErr (*PSChannelPortsGetTilingGridProc)(PIChannelPort port, int32_t level, VPoint* tileOrigin,
                                                 VPoint* tileSize);
typedef SPErr (*PSChannelPortsGetSupportRectProc)(PIChannelPort port, int32_t level, const VRect* bounds,
                                                  int32_t* supportLevel, VRect* supportBounds);
typedef SPErr (*PSChannelPortsGetDependentRectProc)(PIChannelPort port, int32_t sourceLevel, const VRect* sourceBounds,
                                                    int32_t dependentLevel, VRect* dependentBounds);
typedef SPErr (*PSChannelPortsCanReadProc)(PIChannelPort port, Boolean* canRead);
typedef SPErr (*PSChannelPortsCanWriteProc)(PIChannelPort port, Boolean* canWrite);
// bounds: in, the area wanted; out, the area actually read.
typedef SPErr (*PSChannelPortsReadPixelsFromLevelProc)(PIChannelPort port, int32_t level, VRect* bounds,
                                                       const PixelMemoryDesc* destination);
typedef SPErr (*PSChannelPortsWritePixelsToBaseLevelProc)(PIChannelPort port, VRect* bounds,
                                                          const PixelMemoryDesc* source);
typedef SPErr (*PSChannelPortsReadScaledPixelsProc)(PIChannelPort port, VRect* readRect, const PSScaling* scaling,
                                                    const PixelMemoryDesc* destination);
typedef SPErr (*PSChannelPortsFindSourceForScaledReadProc)(PIChannelPort port, const VRect* readRect,
                                                           const PSScaling* scaling, int32_t dstDepth,
                                                           int32_t* sourceLevel, VRect* sourceRect,
                                                           VRect* sourceScalingBounds);
typedef SPErr (*PSChannelPortsNewProc)(PIChannelPort* port, const VRect* rect, int32_t depth, Boolean globalScope);
typedef SPErr (*PSChannelPortsDisposeProc)(PIChannelPort* port);

struct PSChannelPortsSuite1 {
    PSChannelPortsCountLevelsProc CountLevels;
    PSChannelPortsGetDepthProc GetDepth;
    PSChannelPortsGetDataBoundsProc GetDataBounds;
    PSChannelPortsGetWriteLimitProc GetWriteLimit;
    PSChannelPortsGetTilingGridProc GetTilingGrid;
    PSChannelPortsGetSupportRectProc GetSupportRect;
    PSChannelPortsGetDependentRectProc GetDependentRect;
    PSChannelPortsCanReadProc CanRead;
    PSChannelPortsCanWriteProc CanWrite;
    PSChannelPortsReadPixelsFromLevelProc ReadPixelsFromLevel;
    PSChannelPortsWritePixelsToBaseLevelProc WritePixelsToBaseLevel;
    PSChannelPortsReadScaledPixelsProc ReadScaledPixels;
    PSChannelPortsFindSourceForScaledReadProc FindSourceForScaledRead;
    PSChannelPortsNewProc New;
    PSChannelPortsDisposeProc Dispose;
};

VX_ABI_OFFSET(PSChannelPortsSuite1, CountLevels, 0);
VX_ABI_OFFSET(PSChannelPortsSuite1, GetDepth, 8);
VX_ABI_OFFSET(PSChannelPortsSuite1, GetDataBounds, 16);
VX_ABI_OFFSET(PSChannelPortsSuite1, GetWriteLimit, 24);
VX_ABI_OFFSET(PSChannelPortsSuite1, GetTilingGrid, 32);
VX_ABI_OFFSET(PSChannelPortsSuite1, GetSupportRect, 40);
VX_ABI_OFFSET(PSChannelPortsSuite1, GetDependentRect, 48);
VX_ABI_OFFSET(PSChannelPortsSuite1, CanRead, 56);
VX_ABI_OFFSET(PSChannelPortsSuite1, CanWrite, 64);
VX_ABI_OFFSET(PSChannelPortsSuite1, ReadPixelsFromLevel, 72);
VX_ABI_OFFSET(PSChannelPortsSuite1, WritePixelsToBaseLevel, 80);
VX_ABI_OFFSET(PSChannelPortsSuite1, ReadScaledPixels, 88);
VX_ABI_OFFSET(PSChannelPortsSuite1, FindSourceForScaledRead, 96);
VX_ABI_OFFSET(PSChannelPortsSuite1, New, 104);
VX_ABI_OFFSET(PSChannelPortsSuite1, Dispose, 112);
VX_ABI_SIZE(PSChannelPortsSuite1, 120);

// Action Descriptor suite, version 2 (46 members). Version 3 appends members
// and keeps these at the same places. Doubles go BY VALUE here.
typedef SPErr (*PSActionDescriptorMakeProc)(PIActionDescriptor* descriptor);
typedef SPErr (*PSActionDescriptorFreeProc)(PIActionDescriptor descriptor);
typedef SPErr (*PSActionDescriptorGetTypeProc)(PIActionDescriptor descriptor, DescriptorKeyID key,
                                               DescriptorTypeID* type);
typedef SPErr (*PSActionDescriptorGetKeyProc)(PIActionDescriptor descriptor, uint32_t index, DescriptorKeyID* key);
typedef SPErr (*PSActionDescriptorHasKeyProc)(PIActionDescriptor descriptor, DescriptorKeyID key, Boolean* hasKey);
typedef SPErr (*PSActionDescriptorGetCountProc)(PIActionDescriptor descriptor, uint32_t* count);
typedef SPErr (*PSActionDescriptorIsEqualProc)(PIActionDescriptor descriptor, PIActionDescriptor other,
                                               Boolean* isEqual);
typedef SPErr (*PSActionDescriptorEraseProc)(PIActionDescriptor descriptor, DescriptorKeyID key);
typedef SPErr (*PSActionDescriptorClearProc)(PIActionDescriptor descriptor);
typedef SPErr (*PSActionDescriptorPutIntegerProc)(PIActionDescriptor descriptor, DescriptorKeyID key, int32_t value);
typedef SPErr (*PSActionDescriptorPutFloatProc)(PIActionDescriptor descriptor, DescriptorKeyID key, double value);
typedef SPErr (*PSActionDescriptorPutUnitFloatProc)(PIActionDescriptor descriptor, DescriptorKeyID key,
                                                    DescriptorUnitID unit, double value);
typedef SPErr (*PSActionDescriptorPutStringProc)(PIActionDescriptor descriptor, DescriptorKeyID key, const char* cstr);
typedef SPErr (*PSActionDescriptorPutBooleanProc)(PIActionDescriptor descriptor, DescriptorKeyID key, Boolean value);
typedef SPErr (*PSActionDescriptorPutListProc)(PIActionDescriptor descriptor, DescriptorKeyID key, PIActionList value);
typedef SPErr (*PSActionDescriptorPutObjectProc)(PIActionDescriptor descriptor, DescriptorKeyID key,
                                                 DescriptorClassID type, PIActionDescriptor value);
typedef SPErr (*PSActionDescriptorPutGlobalObjectProc)(PIActionDescriptor descriptor, DescriptorKeyID key,
                                                       DescriptorClassID type, PIActionDescriptor value);
typedef SPErr (*PSActionDescriptorPutEnumeratedProc)(PIActionDescriptor descriptor, DescriptorKeyID key,
                                                     DescriptorEnumTypeID type, DescriptorEnumID value);
typedef SPErr (*PSActionDescriptorPutReferenceProc)(PIActionDescriptor descriptor, DescriptorKeyID key,
                                                    PIActionReference value);
typedef SPErr (*PSActionDescriptorPutClassProc)(PIActionDescriptor descriptor, DescriptorKeyID key,
                                                DescriptorClassID value);
typedef SPErr (*PSActionDescriptorPutGlobalClassProc)(PIActionDescriptor descriptor, DescriptorKeyID key,
                                                      DescriptorClassID value);
typedef SPErr (*PSActionDescriptorPutAliasProc)(PIActionDescriptor descriptor, DescriptorKeyID key, Handle value);
typedef SPErr (*PSActionDescriptorGetIntegerProc)(PIActionDescriptor descriptor, DescriptorKeyID key, int32_t* value);
typedef SPErr (*PSActionDescriptorGetFloatProc)(PIActionDescriptor descriptor, DescriptorKeyID key, double* value);
typedef SPErr (*PSActionDescriptorGetUnitFloatProc)(PIActionDescriptor descriptor, DescriptorKeyID key,
                                                    DescriptorUnitID* unit, double* value);
typedef SPErr (*PSActionDescriptorGetStringLengthProc)(PIActionDescriptor descriptor, DescriptorKeyID key,
                                                       uint32_t* length);
typedef SPErr (*PSActionDescriptorGetStringProc)(PIActionDescriptor descriptor, DescriptorKeyID key, char* buffer,
                                                 uint32_t maxLength);
typedef SPErr (*PSActionDescriptorGetBooleanProc)(PIActionDescriptor descriptor, DescriptorKeyID key, Boolean* value);
typedef SPErr (*PSActionDescriptorGetListProc)(PIActionDescriptor descriptor, DescriptorKeyID key, PIActionList* value);
typedef SPErr (*PSActionDescriptorGetObjectProc)(PIActionDescriptor descriptor, DescriptorKeyID key,
                                                 DescriptorClassID* type, PIActionDescriptor* value);
typedef SPErr (*PSActionDescriptorGetGlobalObjectProc)(PIActionDescriptor descriptor, DescriptorKeyID key,
                                                       DescriptorClassID* type, PIActionDescriptor* value);
typedef SPErr (*PSActionDescriptorGetEnumeratedProc)(PIActionDescriptor descriptor, DescriptorKeyID key,
                                                     DescriptorEnumTypeID* type, DescriptorEnumID* value);
typedef SPErr (*PSActionDescriptorGetReferenceProc)(PIActionDescriptor descriptor, DescriptorKeyID key,
                                                    PIActionReference* value);
typedef SPErr (*PSActionDescriptorGetClassProc)(PIActionDescriptor descriptor, DescriptorKeyID key,
                                                DescriptorClassID* value);
typedef SPErr (*PSActionDescriptorGetGlobalClassProc)(PIActionDescriptor descriptor, DescriptorKeyID key,
                                                      DescriptorClassID* value);
typedef SPErr (*PSActionDescriptorGetAliasProc)(PIActionDescriptor descriptor, DescriptorKeyID key, Handle* value);
// requiredKeys is 0-terminated.
typedef SPErr (*PSActionDescriptorHasKeysProc)(PIActionDescriptor descriptor, DescriptorKeyID* requiredKeys,
                                               Boolean* hasKeys);
typedef SPErr (*PSActionDescriptorPutIntegersProc)(PIActionDescriptor descriptor, DescriptorKeyID key, uint32_t count,
                                                   const int32_t* values);
typedef SPErr (*PSActionDescriptorGetIntegersProc)(PIActionDescriptor descriptor, DescriptorKeyID key, uint32_t count,
                                                   int32_t* values);
typedef SPErr (*PSActionDescriptorAsHandleProc)(PIActionDescriptor descriptor, PIDescriptorHandle* value);
typedef SPErr (*PSActionDescriptorHandleToDescriptorProc)(PIDescriptorHandle value, PIActionDescriptor* descriptor);
typedef SPErr (*PSActionDescriptorPutZStringProc)(PIActionDescriptor descriptor, DescriptorKeyID key, ASZString value);
typedef SPErr (*PSActionDescriptorGetZStringProc)(PIActionDescriptor descriptor, DescriptorKeyID key, ASZString* value);
typedef SPErr (*PSActionDescriptorPutDataProc)(PIActionDescriptor descriptor, DescriptorKeyID key, int32_t length,
                                               const void* value);
typedef SPErr (*PSActionDescriptorGetDataLengthProc)(PIActionDescriptor descriptor, DescriptorKeyID key,
                                                     int32_t* length);
typedef SPErr (*PSActionDescriptorGetDataProc)(PIActionDescriptor descriptor, DescriptorKeyID key, void* value);

struct PSActionDescriptorProcs {
    PSActionDescriptorMakeProc Make;
    PSActionDescriptorFreeProc Free;
    PSActionDescriptorGetTypeProc GetType;
    PSActionDescriptorGetKeyProc GetKey;
    PSActionDescriptorHasKeyProc HasKey;
    PSActionDescriptorGetCountProc GetCount;
    PSActionDescriptorIsEqualProc IsEqual;
    PSActionDescriptorEraseProc Erase;
    PSActionDescriptorClearProc Clear;
    PSActionDescriptorPutIntegerProc PutInteger;
    PSActionDescriptorPutFloatProc PutFloat;
    PSActionDescriptorPutUnitFloatProc PutUnitFloat;
    PSActionDescriptorPutStringProc PutString;
    PSActionDescriptorPutBooleanProc PutBoolean;
    PSActionDescriptorPutListProc PutList;
    PSActionDescriptorPutObjectProc PutObject;
    PSActionDescriptorPutGlobalObjectProc PutGlobalObject;
    PSActionDescriptorPutEnumeratedProc PutEnumerated;
    PSActionDescriptorPutReferenceProc PutReference;
    PSActionDescriptorPutClassProc PutClass;
    PSActionDescriptorPutGlobalClassProc PutGlobalClass;
    PSActionDescriptorPutAliasProc PutAlias;
    PSActionDescriptorGetIntegerProc GetInteger;
    PSActionDescriptorGetFloatProc GetFloat;
    PSActionDescriptorGetUnitFloatProc GetUnitFloat;
    PSActionDescriptorGetStringLengthProc GetStringLength;
    PSActionDescriptorGetStringProc GetString;
    PSActionDescriptorGetBooleanProc GetBoolean;
    PSActionDescriptorGetListProc GetList;
    PSActionDescriptorGetObjectProc GetObject;
    PSActionDescriptorGetGlobalObjectProc GetGlobalObject;
    PSActionDescriptorGetEnumeratedProc GetEnumerated;
    PSActionDescriptorGetReferenceProc GetReference;
    PSActionDescriptorGetClassProc GetClass;
    PSActionDescriptorGetGlobalClassProc GetGlobalClass;
    PSActionDescriptorGetAliasProc GetAlias;
    PSActionDescriptorHasKeysProc HasKeys;
    PSActionDescriptorPutIntegersProc PutIntegers;
    PSActionDescriptorGetIntegersProc GetIntegers;
    PSActionDescriptorAsHandleProc AsHandle;
    PSActionDescriptorHandleToDescriptorProc HandleToDescriptor;
    PSActionDescriptorPutZStringProc PutZString;
    PSActionDescriptorGetZStringProc GetZString;
    PSActionDescriptorPutDataProc PutData;
    PSActionDescriptorGetDataLengthProc GetDataLength;
    PSActionDescriptorGetDataProc GetData;
};

VX_ABI_OFFSET(PSActionDescriptorProcs, Make, 0);
VX_ABI_OFFSET(PSActionDescriptorProcs, Free, 8);
VX_ABI_OFFSET(PSActionDescriptorProcs, GetType, 16);
VX_ABI_OFFSET(PSActionDescriptorProcs, GetKey, 24);
VX_ABI_OFFSET(PSActionDescriptorProcs, HasKey, 32);
VX_ABI_OFFSET(PSActionDescriptorProcs, GetCount, 40);
VX_ABI_OFFSET(PSActionDescriptorProcs, IsEqual, 48);
VX_ABI_OFFSET(PSActionDescriptorProcs, Erase, 56);
VX_ABI_OFFSET(PSActionDescriptorProcs, Clear, 64);
VX_ABI_OFFSET(PSActionDescriptorProcs, PutInteger, 72);
VX_ABI_OFFSET(PSActionDescriptorProcs, PutFloat, 80);
VX_ABI_OFFSET(PSActionDescriptorProcs, PutUnitFloat, 88);
VX_ABI_OFFSET(PSActionDescriptorProcs, PutString, 96);
VX_ABI_OFFSET(PSActionDescriptorProcs, PutBoolean, 104);
VX_ABI_OFFSET(PSActionDescriptorProcs, PutList, 112);
VX_ABI_OFFSET(PSActionDescriptorProcs, PutObject, 120);
VX_ABI_OFFSET(PSActionDescriptorProcs, PutGlobalObject, 128);
VX_ABI_OFFSET(PSActionDescriptorProcs, PutEnumerated, 136);
VX_ABI_OFFSET(PSActionDescriptorProcs, PutReference, 144);
VX_ABI_OFFSET(PSActionDescriptorProcs, PutClass, 152);
VX_ABI_OFFSET(PSActionDescriptorProcs, PutGlobalClass, 160);
VX_ABI_OFFSET(PSActionDescriptorProcs, PutAlias, 168);
VX_ABI_OFFSET(PSActionDescriptorProcs, GetInteger, 176);
VX_ABI_OFFSET(PSActionDescriptorProcs, GetFloat, 184);
VX_ABI_OFFSET(PSActionDescriptorProcs, GetUnitFloat, 192);
VX_ABI_OFFSET(PSActionDescriptorProcs, GetStringLength, 200);
VX_ABI_OFFSET(PSActionDescriptorProcs, GetString, 208);
VX_ABI_OFFSET(PSActionDescriptorProcs, GetBoolean, 216);
VX_ABI_OFFSET(PSActionDescriptorProcs, GetList, 224);
VX_ABI_OFFSET(PSActionDescriptorProcs, GetObject, 232);
VX_ABI_OFFSET(PSActionDescriptorProcs, GetGlobalObject, 240);
VX_ABI_OFFSET(PSActionDescriptorProcs, GetEnumerated, 248);
VX_ABI_OFFSET(PSActionDescriptorProcs, GetReference, 256);
VX_ABI_OFFSET(PSActionDescriptorProcs, GetClass, 264);
VX_ABI_OFFSET(PSActionDescriptorProcs, GetGlobalClass, 272);
VX_ABI_OFFSET(PSActionDescriptorProcs, GetAlias, 280);
VX_ABI_OFFSET(PSActionDescriptorProcs, HasKeys, 288);
VX_ABI_OFFSET(PSActionDescriptorProcs, PutIntegers, 296);
VX_ABI_OFFSET(PSActionDescriptorProcs, GetIntegers, 304);
VX_ABI_OFFSET(PSActionDescriptorProcs, AsHandle, 312);
VX_ABI_OFFSET(PSActionDescriptorProcs, HandleToDescriptor, 320);
VX_ABI_OFFSET(PSActionDescriptorProcs, PutZString, 328);
VX_ABI_OFFSET(PSActionDescriptorProcs, GetZString, 336);
VX_ABI_OFFSET(PSActionDescriptorProcs, PutData, 344);
VX_ABI_OFFSET(PSActionDescriptorProcs, GetDataLength, 352);
VX_ABI_OFFSET(PSActionDescriptorProcs, GetData, 360);
VX_ABI_SIZE(PSActionDescriptorProcs, 368);

// Action Reference suite, version 2 (19 members).
typedef SPErr (*PSActionReferenceMakeProc)(PIActionReference* reference);
typedef SPErr (*PSActionReferenceFreeProc)(PIActionReference reference);
typedef SPErr (*PSActionReferenceGetFormProc)(PIActionReference reference, DescriptorFormID* value);
typedef SPErr (*PSActionReferenceGetDesiredClassProc)(PIActionReference reference, DescriptorClassID* value);
typedef SPErr (*PSActionReferencePutNameProc)(PIActionReference reference, DescriptorClassID desiredClass,
                                              const char* cstr);
typedef SPErr (*PSActionReferencePutIndexProc)(PIActionReference reference, DescriptorClassID desiredClass,
                                               uint32_t value);
typedef SPErr (*PSActionReferencePutIdentifierProc)(PIActionReference reference, DescriptorClassID desiredClass,
                                                    uint32_t value);
typedef SPErr (*PSActionReferencePutOffsetProc)(PIActionReference reference, DescriptorClassID desiredClass,
                                                int32_t value);
typedef SPErr (*PSActionReferencePutEnumeratedProc)(PIActionReference reference, DescriptorClassID desiredClass,
                                                    DescriptorEnumTypeID type, DescriptorEnumID value);
typedef SPErr (*PSActionReferencePutPropertyProc)(PIActionReference reference, DescriptorClassID desiredClass,
                                                  DescriptorKeyID value);
typedef SPErr (*PSActionReferencePutClassProc)(PIActionReference reference, DescriptorClassID desiredClass);
typedef SPErr (*PSActionReferenceGetNameLengthProc)(PIActionReference reference, uint32_t* length);
typedef SPErr (*PSActionReferenceGetNameProc)(PIActionReference reference, char* buffer, uint32_t maxLength);
typedef SPErr (*PSActionReferenceGetIndexProc)(PIActionReference reference, uint32_t* value);
typedef SPErr (*PSActionReferenceGetIdentifierProc)(PIActionReference reference, uint32_t* value);
typedef SPErr (*PSActionReferenceGetOffsetProc)(PIActionReference reference, int32_t* value);
typedef SPErr (*PSActionReferenceGetEnumeratedProc)(PIActionReference reference, DescriptorEnumTypeID* type,
                                                    DescriptorEnumID* value);
typedef SPErr (*PSActionReferenceGetPropertyProc)(PIActionReference reference, DescriptorKeyID* value);
typedef SPErr (*PSActionReferenceGetContainerProc)(PIActionReference reference, PIActionReference* value);

struct PSActionReferenceProcs {
    PSActionReferenceMakeProc Make;
    PSActionReferenceFreeProc Free;
    PSActionReferenceGetFormProc GetForm;
    PSActionReferenceGetDesiredClassProc GetDesiredClass;
    PSActionReferencePutNameProc PutName;
    PSActionReferencePutIndexProc PutIndex;
    PSActionReferencePutIdentifierProc PutIdentifier;
    PSActionReferencePutOffsetProc PutOffset;
    PSActionReferencePutEnumeratedProc PutEnumerated;
    PSActionReferencePutPropertyProc PutProperty;
    PSActionReferencePutClassProc PutClass;
    PSActionReferenceGetNameLengthProc GetNameLength;
    PSActionReferenceGetNameProc GetName;
    PSActionReferenceGetIndexProc GetIndex;
    PSActionReferenceGetIdentifierProc GetIdentifier;
    PSActionReferenceGetOffsetProc GetOffset;
    PSActionReferenceGetEnumeratedProc GetEnumerated;
    PSActionReferenceGetPropertyProc GetProperty;
    PSActionReferenceGetContainerProc GetContainer;
};

VX_ABI_OFFSET(PSActionReferenceProcs, Make, 0);
VX_ABI_OFFSET(PSActionReferenceProcs, Free, 8);
VX_ABI_OFFSET(PSActionReferenceProcs, GetForm, 16);
VX_ABI_OFFSET(PSActionReferenceProcs, GetDesiredClass, 24);
VX_ABI_OFFSET(PSActionReferenceProcs, PutName, 32);
VX_ABI_OFFSET(PSActionReferenceProcs, PutIndex, 40);
VX_ABI_OFFSET(PSActionReferenceProcs, PutIdentifier, 48);
VX_ABI_OFFSET(PSActionReferenceProcs, PutOffset, 56);
VX_ABI_OFFSET(PSActionReferenceProcs, PutEnumerated, 64);
VX_ABI_OFFSET(PSActionReferenceProcs, PutProperty, 72);
VX_ABI_OFFSET(PSActionReferenceProcs, PutClass, 80);
VX_ABI_OFFSET(PSActionReferenceProcs, GetNameLength, 88);
VX_ABI_OFFSET(PSActionReferenceProcs, GetName, 96);
VX_ABI_OFFSET(PSActionReferenceProcs, GetIndex, 104);
VX_ABI_OFFSET(PSActionReferenceProcs, GetIdentifier, 112);
VX_ABI_OFFSET(PSActionReferenceProcs, GetOffset, 120);
VX_ABI_OFFSET(PSActionReferenceProcs, GetEnumerated, 128);
VX_ABI_OFFSET(PSActionReferenceProcs, GetProperty, 136);
VX_ABI_OFFSET(PSActionReferenceProcs, GetContainer, 144);
VX_ABI_SIZE(PSActionReferenceProcs, 152);

// Descriptor Registry suite, version 1: descriptors stored under a string key
// across filter runs. Get sets *descriptor to NULL when nothing is stored; the
// caller frees a returned descriptor with the Action Descriptor suite's Free.
typedef SPErr (*PSDescriptorRegistryRegisterProc)(const char* key, PIActionDescriptor descriptor, Boolean isPersistent);
typedef SPErr (*PSDescriptorRegistryEraseProc)(const char* key);
typedef SPErr (*PSDescriptorRegistryGetProc)(const char* key, PIActionDescriptor* descriptor);

struct PSDescriptorRegistryProcs {
    PSDescriptorRegistryRegisterProc Register;
    PSDescriptorRegistryEraseProc Erase;
    PSDescriptorRegistryGetProc Get;
};

VX_ABI_OFFSET(PSDescriptorRegistryProcs, Register, 0);
VX_ABI_OFFSET(PSDescriptorRegistryProcs, Erase, 8);
VX_ABI_OFFSET(PSDescriptorRegistryProcs, Get, 16);
VX_ABI_SIZE(PSDescriptorRegistryProcs, 24);

// Basic Action Control suite, version 1 (version 2 has the same members in the
// same order). These members return OSErr, not SPErr. Get's result, when not
// NULL, is freed by the caller.
typedef OSErr (*PSBasicActionControlGetProc)(PIActionDescriptor* result, PIActionReference reference);
typedef OSErr (*PSBasicActionControlStringIDToTypeIDProc)(char* stringID, DescriptorTypeID* typeID);
typedef OSErr (*PSBasicActionControlTypeIDToStringIDProc)(DescriptorTypeID typeID, char* stringID,
                                                          uint32_t stringLength);
typedef OSErr (*PSBasicActionControlMakeStringAliasProc)(const char* newStringID, const char* existingStringID);

struct PSBasicActionControlProcs {
    PSBasicActionControlGetProc Get;
    PSBasicActionControlStringIDToTypeIDProc StringIDToTypeID;
    PSBasicActionControlTypeIDToStringIDProc TypeIDToStringID;
    PSBasicActionControlMakeStringAliasProc MakeStringAlias;
};

VX_ABI_OFFSET(PSBasicActionControlProcs, Get, 0);
VX_ABI_OFFSET(PSBasicActionControlProcs, StringIDToTypeID, 8);
VX_ABI_OFFSET(PSBasicActionControlProcs, TypeIDToStringID, 16);
VX_ABI_OFFSET(PSBasicActionControlProcs, MakeStringAlias, 24);
VX_ABI_SIZE(PSBasicActionControlProcs, 32);

#undef VX_ABI_OFFSET
#undef VX_ABI_SIZE

// ---------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------

// Entry-point selectors (int16). filterSelectorAbout passes an AboutRecord.
constexpr int16_t filterSelectorAbout = 0;
constexpr int16_t filterSelectorParameters = 1;
constexpr int16_t filterSelectorPrepare = 2;
constexpr int16_t filterSelectorStart = 3;
constexpr int16_t filterSelectorContinue = 4;
constexpr int16_t filterSelectorFinish = 5;

// OSErr results: through the entry point's *result and from record callbacks.
constexpr OSErr noErr = 0;
constexpr OSErr coercedParamErr = 2;
constexpr OSErr readErr = -19;
constexpr OSErr writErr = -20;
constexpr OSErr openErr = -23;
constexpr OSErr dskFulErr = -34;
constexpr OSErr ioErr = -36;
constexpr OSErr eofErr = -39;
constexpr OSErr fnfErr = -43;
constexpr OSErr fLckdErr = -45;
constexpr OSErr vLckdErr = -46;
constexpr OSErr paramErr = -50;
constexpr OSErr memFullErr = -108;
constexpr OSErr nilHandleErr = -109;
constexpr OSErr memWZErr = -111;
constexpr OSErr userCanceledErr = -128;
constexpr OSErr errMissingParameter = -1715; // scripting: a required descriptor key is missing
constexpr OSErr filterBadParameters = -30100;
constexpr OSErr filterBadMode = -30101;
constexpr OSErr errPlugInHostInsufficient = -30900;
constexpr OSErr errPlugInPropertyUndefined = -30901;
constexpr OSErr errHostDoesNotSupportColStep = -30902;
constexpr OSErr errInvalidSamplePoint = -30903;
constexpr OSErr errReportString = -30904; // the host shows FilterRecord.errorString
constexpr OSErr errUnknownPort = -30910;
constexpr OSErr errUnsupportedRowBits = -30911;
constexpr OSErr errUnsupportedColBits = -30912;
constexpr OSErr errUnsupportedBitOffset = -30913;
constexpr OSErr errUnsupportedDepth = -30914;
constexpr OSErr errUnsupportedDepthConversion = -30915;

// SPErr results of the suites.
constexpr SPErr kSPNoError = 0;
constexpr SPErr kSPSuiteNotFoundError = static_cast<SPErr>(FourCC("S!Fd"));
constexpr SPErr kSPBadParameterError = static_cast<SPErr>(FourCC("Parm"));
constexpr SPErr kSPUnimplementedError = static_cast<SPErr>(FourCC("!IMP"));
constexpr SPErr kSPOutOfMemoryError = -108;
constexpr SPErr kSPUserCanceledError = static_cast<SPErr>(FourCC("stop"));
constexpr SPErr kSPLogicError = static_cast<SPErr>(FourCC("fbar"));

static_assert(kSPSuiteNotFoundError == 0x53214664 && kSPBadParameterError == 0x5061726D &&
                  kSPUnimplementedError == 0x21494D50 && kSPUserCanceledError == 0x73746F70 &&
                  kSPLogicError == 0x66626172,
              "SPErr four-character codes");

// Image modes: FilterRecord.imageMode (int16), ReadImageDocumentDesc and
// PSPixelMap imageMode (int32). FilterRecord.depth gives bits per channel:
// 8 for modes 0-9, 16 for Gray16/RGB48/Lab48/CMYK64/DeepMultichannel/
// Duotone16, 32 for RGB96/Gray32.
constexpr int16_t plugInModeBitmap = 0;
constexpr int16_t plugInModeGrayScale = 1;
constexpr int16_t plugInModeIndexedColor = 2;
constexpr int16_t plugInModeRGBColor = 3;
constexpr int16_t plugInModeCMYKColor = 4;
constexpr int16_t plugInModeHSLColor = 5;
constexpr int16_t plugInModeHSBColor = 6;
constexpr int16_t plugInModeMultichannel = 7;
constexpr int16_t plugInModeDuotone = 8;
constexpr int16_t plugInModeLabColor = 9;
constexpr int16_t plugInModeGray16 = 10;
constexpr int16_t plugInModeRGB48 = 11;
constexpr int16_t plugInModeLab48 = 12;
constexpr int16_t plugInModeCMYK64 = 13;
constexpr int16_t plugInModeDeepMultichannel = 14;
constexpr int16_t plugInModeDuotone16 = 15;
constexpr int16_t plugInModeRGB96 = 16;
constexpr int16_t plugInModeGray32 = 17;

// ColorServicesInfo.selector.
constexpr int16_t plugIncolorServicesChooseColor = 0;
constexpr int16_t plugIncolorServicesConvertColor = 1;
constexpr int16_t plugIncolorServicesSamplePoint = 2;
constexpr int16_t plugIncolorServicesGetSpecialColor = 3;

// selectorParameter.specialColorID for GetSpecialColor.
constexpr int32_t plugIncolorServicesForegroundColor = 0;
constexpr int32_t plugIncolorServicesBackgroundColor = 1;

// Colour spaces (int16) of ColorServicesInfo and the ColorSpace suite.
// Component ranges: RGB 0-255; CMYK stored inverted (0 = 100 % ink); hue 0-359.
constexpr int16_t plugIncolorServicesChosenSpace = -1; // resultSpace of ChooseColor only: keep the picked space
constexpr int16_t plugIncolorServicesRGBSpace = 0;
constexpr int16_t plugIncolorServicesHSBSpace = 1;
constexpr int16_t plugIncolorServicesCMYKSpace = 2;
constexpr int16_t plugIncolorServicesLabSpace = 3;
constexpr int16_t plugIncolorServicesGraySpace = 4;
constexpr int16_t plugIncolorServicesHSLSpace = 5;
constexpr int16_t plugIncolorServicesXYZSpace = 6;

// PIDescriptorParameters.playInfo (host -> plug-in).
constexpr int16_t plugInDialogDontDisplay = 0;
constexpr int16_t plugInDialogDisplay = 1;
constexpr int16_t plugInDialogSilent = 2;

// PIDescriptorParameters.recordInfo (plug-in <-> host).
constexpr int16_t plugInDialogOptional = 0;
constexpr int16_t plugInDialogRequired = 1;
constexpr int16_t plugInDialogNone = 2;

// Descriptor value types (DescType).
constexpr DescType typeInteger = FourCC("long");
constexpr DescType typeFloat = FourCC("doub");
constexpr DescType typeUnitFloat = FourCC("UntF");
constexpr DescType typeBoolean = FourCC("bool");
constexpr DescType typeChar = FourCC("TEXT");
constexpr DescType typeEnumerated = FourCC("enum");
constexpr DescType typeType = FourCC("type"); // class
constexpr DescType typeGlobalClass = FourCC("GlbC");
constexpr DescType typeGlobalObject = FourCC("GlbO");
constexpr DescType typeObject = FourCC("Objc");
constexpr DescType typeObjectReference = FourCC("obj ");
constexpr DescType typeAlias = FourCC("alis");
constexpr DescType typePath = FourCC("Pat ");
constexpr DescType typeRawData = FourCC("tdta");
constexpr DescType typeValueList = FourCC("VlLs");
constexpr DescType typeNull = FourCC("null");

static_assert(typeInteger == 0x6C6F6E67u && typeFloat == 0x646F7562u && typeUnitFloat == 0x556E7446u &&
                  typeBoolean == 0x626F6F6Cu && typeChar == 0x54455854u && typeEnumerated == 0x656E756Du &&
                  typeType == 0x74797065u && typeGlobalClass == 0x476C6243u && typeGlobalObject == 0x476C624Fu &&
                  typeObject == 0x4F626A63u && typeObjectReference == 0x6F626A20u && typeAlias == 0x616C6973u &&
                  typePath == 0x50617420u && typeRawData == 0x74647461u && typeValueList == 0x566C4C73u &&
                  typeNull == 0x6E756C6Cu,
              "descriptor type codes");

// ReadChannelDesc.channelType.
constexpr int16_t ctUnspecified = 0;
constexpr int16_t ctRed = 1;
constexpr int16_t ctGreen = 2;
constexpr int16_t ctBlue = 3;
constexpr int16_t ctCyan = 4;
constexpr int16_t ctMagenta = 5;
constexpr int16_t ctYellow = 6;
constexpr int16_t ctBlack = 7;
constexpr int16_t ctL = 8;
constexpr int16_t ctA = 9;
constexpr int16_t ctB = 10;
constexpr int16_t ctDuotone = 11;
constexpr int16_t ctIndex = 12;
constexpr int16_t ctBitmap = 13;
constexpr int16_t ctColorSelected = 14;
constexpr int16_t ctColorProtected = 15;
constexpr int16_t ctTransparency = 16;
constexpr int16_t ctLayerMask = 17;
constexpr int16_t ctInvertedLayerMask = 18;
constexpr int16_t ctSelectionMask = 19;

// FilterRecord.filterCase: what the filter is being applied to.
constexpr int16_t filterCaseNotSet = 0; // the host did not fill the field in
constexpr int16_t filterCaseFlatImageNoSelection = 1;
constexpr int16_t filterCaseFlatImageWithSelection = 2;
constexpr int16_t filterCaseFloatingSelection = 3;
constexpr int16_t filterCaseEditableTransparencyNoSelection = 4;
constexpr int16_t filterCaseEditableTransparencyWithSelection = 5;
constexpr int16_t filterCaseProtectedTransparencyNoSelection = 6;
constexpr int16_t filterCaseProtectedTransparencyWithSelection = 7;

// FilterRecord.inputPadding / outputPadding / maskPadding: 0..255 is a fill
// value for pixels requested outside the image; negative values are modes.
constexpr int16_t plugInWantsEdgeReplication = -1;
constexpr int16_t plugInDoesNotWantPadding = -2;
constexpr int16_t plugInWantsErrorOnBoundsException = -3;

// FilterRecord.wantLayout: order of the data in inData/outData.
constexpr int16_t piLayoutTraditional = 0; // rows, columns, planes interleaved
constexpr int16_t piLayoutRowsColumnsPlanes = 1;
constexpr int16_t piLayoutRowsPlanesColumns = 2;
constexpr int16_t piLayoutColumnsRowsPlanes = 3;
constexpr int16_t piLayoutColumnsPlanesRows = 4;
constexpr int16_t piLayoutPlanesRowsColumns = 5;
constexpr int16_t piLayoutPlanesColumnsRows = 6;

// FilterRecord.samplingSupport.
constexpr uint8_t hostDoesNotSupportSampling = 0;
constexpr uint8_t hostSupportsIntegralSampling = 1;
constexpr uint8_t hostSupportsFractionalSampling = 2;

// FilterRecord.dummyPlaneValue: leave dummy planes undefined.
constexpr int16_t dummyPlaneValueUndefined = -1;

// FilterRecord.hostSig and the PiPL 'host' property.
constexpr OSType kPhotoshopSignature = FourCC("8BIM");
constexpr OSType kAnyHostSignature = FourCC("    ");

// PSImagePlane resampling method (ImageServicesProcs).
constexpr int16_t imageServicesInterpolatePoint = 0;
constexpr int16_t imageServicesInterpolateBilinear = 1;
constexpr int16_t imageServicesInterpolateBicubic = 2;

// PSPixelMap.version and PSPixelMask.maskDescription.
constexpr int32_t kCurrentPSPixelMapVersion = 2;
constexpr int32_t kSimplePSMask = 0;
constexpr int32_t kBlackMatPSMask = 1;
constexpr int32_t kGrayMatPSMask = 2;
constexpr int32_t kWhiteMatPSMask = 3;
constexpr int32_t kInvertPSMask = 4;

// Versions and member counts of the record-level callback tables. Check the
// version and that the count covers a member before calling it; "Min" counts
// are what older hosts report, "Current" counts match the layouts above.
constexpr int16_t kCurrentHandleProcsVersion = 1;
constexpr int16_t kMinHandleProcsCount = 7;
constexpr int16_t kCurrentHandleProcsCount = 8;
constexpr int16_t kCurrentBufferProcsVersion = 2;
constexpr int16_t kMinBufferProcsCount = 5;
constexpr int16_t kCurrentBufferProcsCount = 8;
constexpr int16_t kCurrentPropertyProcsVersion = 1;
constexpr int16_t kCurrentPropertyProcsCount = 2;
constexpr int16_t kCurrentResourceProcsVersion = 3;
constexpr int16_t kCurrentResourceProcsCount = 4;
constexpr int16_t kCurrentImageServicesProcsVersion = 1;
constexpr int16_t kMinImageServicesProcsCount = 2;
constexpr int16_t kCurrentImageServicesProcsCount = 6;
constexpr int16_t kCurrentChannelPortProcsVersion = 1;
constexpr int16_t kCurrentChannelPortProcsCount = 3;
constexpr int16_t kCurrentDescriptorParametersVersion = 0;
constexpr int16_t kCurrentWriteDescriptorProcsVersion = 0;
constexpr int16_t kCurrentWriteDescriptorProcsCount = 16;
constexpr int16_t kCurrentReadDescriptorProcsVersion = 0;
constexpr int16_t kCurrentReadDescriptorProcsCount = 18;

// Versions of the document description records.
constexpr int32_t kCurrentMinVersReadChannelDesc = 0;
constexpr int32_t kCurrentMaxVersReadChannelDesc = 0;
constexpr int32_t kCurrentMinVersReadImageDocDesc = 0;
constexpr int32_t kReadImageDocDescLayersVersion = 2; // maxVersion from which the layer fields are valid
constexpr int32_t kCurrentMinVersReadLayerDesc = 0;

// Suites: name strings and versions for SPBasicSuite::AcquireSuite.
constexpr const char* kPSColorSpaceSuite = "Photoshop ColorSpace Suite for Plug-ins";
constexpr int32_t kPSColorSpaceSuiteVersion1 = 1;
constexpr const char* kPSChannelPortsSuite = "Photoshop ChannelPorts Suite for Plug-ins";
constexpr int32_t kPSChannelPortsSuiteVersion2 = 2;
constexpr int32_t kPSChannelPortsSuiteVersion3 = 3;
constexpr const char* kPSActionDescriptorSuite = "df135115-c769-11d0-8079-00c04fd7ec47";
constexpr int32_t kPSActionDescriptorSuiteVersion2 = 2;
constexpr int32_t kPSActionDescriptorSuiteVersion3 = 3;
constexpr const char* kPSActionReferenceSuite = "df135117-c769-11d0-8079-00c04fd7ec47";
constexpr int32_t kPSActionReferenceSuiteVersion2 = 2;
constexpr const char* kPSActionListSuite = "df135116-c769-11d0-8079-00c04fd7ec47";
constexpr int32_t kPSActionListSuiteVersion1 = 1;
constexpr const char* kPSBasicActionControlSuite = "3eb7c480-8797-11d1-8da7-00c04fd5f7ee";
constexpr int32_t kPSBasicActionControlSuiteVersion1 = 1;
constexpr const char* kPSDescriptorRegistrySuite = "61e608b0-40fd-11d1-8da3-00c04fd5f7ee";
constexpr int32_t kPSDescriptorRegistrySuiteVersion1 = 1;

// getPropertyProc keys (signature kPhotoshopSignature).
constexpr PIType propNumberOfChannels = FourCC("nuch");
constexpr PIType propChannelName = FourCC("nmch");
constexpr PIType propImageMode = FourCC("mode");
constexpr PIType propNumberOfPaths = FourCC("nupa");
constexpr PIType propPathName = FourCC("nmpa");
constexpr PIType propWorkPathIndex = FourCC("wkpa");
constexpr PIType propClippingPathIndex = FourCC("clpa");
constexpr PIType propTargetPathIndex = FourCC("tgpa");
constexpr PIType propBigNudgeH = FourCC("bndH");
constexpr PIType propBigNudgeV = FourCC("bndV");
constexpr PIType propInterpolationMethod = FourCC("intp"); // 1 point, 2 bilinear, 3 bicubic
constexpr PIType propRulerUnits = FourCC("rulr");          // 0 pixels ... 5 percent
constexpr PIType propRulerOriginH = FourCC("rorH");
constexpr PIType propRulerOriginV = FourCC("rorV");
constexpr PIType propGridMajor = FourCC("grmj");
constexpr PIType propGridMinor = FourCC("grmn");
constexpr PIType propSerialString = FourCC("sstr");
constexpr PIType propWatchSuspension = FourCC("wtch");
constexpr PIType propCopyright = FourCC("cpyr");
constexpr PIType propCopyright2 = FourCC("cpyR");
constexpr PIType propTitle = FourCC("titl");
constexpr PIType propURL = FourCC("URL ");
constexpr PIType propWatermark = FourCC("watr");
constexpr PIType propDocumentWidth = FourCC("docW");
constexpr PIType propDocumentHeight = FourCC("docH");
constexpr PIType propToolTips = FourCC("tltp");
constexpr PIType propUnicodeName = FourCC("unnm");
constexpr PIType propHDPI = FourCC("HDPI");
constexpr PIType propCaption = FourCC("capt");
constexpr PIType propEXIFData = FourCC("EXIF");
constexpr PIType propXMPData = FourCC("xmpd");

static_assert(propNumberOfChannels == 0x6E756368u && propChannelName == 0x6E6D6368u && propBigNudgeH == 0x626E6448u,
              "property key codes");

// PiPL resource (resource type "PiPL"). Header: int16 signature @0, int32
// version @2, int32 property count @6, properties from @10 (2-byte packing).
// Each property: uint32 vendor @0, uint32 key @4, int32 id @8, int32 length
// @12, data @16 padded to a multiple of 4. Integers are little-endian.
constexpr int16_t kPiPLSignature = 1;
constexpr int32_t kPiPLVersion = 0;
constexpr uint32_t kPIVendorPhotoshop = FourCC("8BIM");
constexpr uint32_t kPIFilterKind = FourCC("8BFM"); // value of the 'kind' property for filters

constexpr PIType PIKindProperty = FourCC("kind");
constexpr PIType PIWin64X86CodeProperty = FourCC("8664"); // x64 entry-point name (C string)
constexpr PIType PIWin32X86CodeProperty = FourCC("wx86");
constexpr PIType PIWinArm64CodeProperty = FourCC("wa64");
constexpr PIType PIVersionProperty = FourCC("vers"); // int32 (major << 16) | minor
constexpr PIType PIImageModesProperty = FourCC("mode");
constexpr PIType PIEnableInfoProperty = FourCC("enbl");
constexpr PIType PICategoryProperty = FourCC("catg");
constexpr PIType PINameProperty = FourCC("name");
constexpr PIType PIFilterCaseInfoProperty = FourCC("fici");
constexpr PIType PIHasTerminologyProperty = FourCC("hstm");
constexpr PIType PIRequiredHostProperty = FourCC("host");
constexpr PIType PIPriorityProperty = FourCC("prty");
constexpr PIType PIFilterLayerSupportProperty = FourCC("flly");
constexpr PIType PIMaxSizeProperty = FourCC("ms32");
constexpr PIType PIMinSizeProperty = FourCC("mn32");
constexpr PIType PIComponentProperty = FourCC("cmpt");

static_assert(kPIFilterKind == 0x3842464Du && PIKindProperty == 0x6B696E64u && PIWin64X86CodeProperty == 0x38363634u &&
                  PIWin32X86CodeProperty == 0x77783836u && PIWinArm64CodeProperty == 0x77613634u &&
                  PIVersionProperty == 0x76657273u && PIImageModesProperty == 0x6D6F6465u &&
                  PIEnableInfoProperty == 0x656E626Cu && PICategoryProperty == 0x63617467u &&
                  PINameProperty == 0x6E616D65u && PIFilterCaseInfoProperty == 0x66696369u &&
                  PIHasTerminologyProperty == 0x6873746Du && PIRequiredHostProperty == 0x686F7374u &&
                  PIPriorityProperty == 0x70727479u && PIFilterLayerSupportProperty == 0x666C6C79u &&
                  PIMaxSizeProperty == 0x6D733332u && PIMinSizeProperty == 0x6D6E3332u &&
                  PIComponentProperty == 0x636D7074u,
              "PiPL property keys");

// 'fici' (filter case info): 7 entries of 4 bytes {inputHandling,
// outputHandling, flags1, flags2}; entry i-1 describes filterCase i.
constexpr uint8_t PIFilterDontFilter = 0;
constexpr uint8_t PIFilterStraightData = 1;
constexpr uint8_t PIFilterBlackMat = 2;
constexpr uint8_t PIFilterGrayMat = 3;
constexpr uint8_t PIFilterWhiteMat = 4;
constexpr uint8_t PIFilterDefringe = 5;
constexpr uint8_t PIFilterBlackZap = 6;
constexpr uint8_t PIFilterGrayZap = 7;
constexpr uint8_t PIFilterWhiteZap = 8;
constexpr uint8_t PIFilterFillMask = 9;
constexpr uint8_t PIFilterBackgroundZap = 10;
constexpr uint8_t PIFilterForegroundZap = 11;

// flags1 bits of a 'fici' entry (flags2 is reserved, 0).
constexpr uint8_t PIFilterDontCopyToDestinationFlag = 0x01;
constexpr uint8_t PIFilterWorksWithBlankDataFlag = 0x02;
constexpr uint8_t PIFilterFiltersLayerMaskFlag = 0x04;
constexpr uint8_t PIFilterWritesOutsideSelectionFlag = 0x08;
