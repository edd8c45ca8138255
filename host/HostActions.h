#pragma once
// The host's action system as the plug-in reaches it through suites: action descriptors
// (typed key/value records), action references, the basic action control suite, which answers
// questions about the document's layers, and the descriptor registry, whose persistent entries
// live in a file so that a host started later finds them.

#include "host/Document.h"
#include "plugin/HostAbi.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace host {

// Key forms of a reference part.
constexpr DescriptorFormID formProperty = FourCC("prop");
constexpr DescriptorFormID formName = FourCC("name");
constexpr DescriptorFormID formEnumerated = FourCC("Enmr");
constexpr DescriptorFormID formClass = FourCC("Clss");
constexpr DescriptorFormID formIndex = FourCC("indx");

struct ActionValue {
    DescType type = typeNull;
    int32_t integer = 0;
    double number = 0.0;
    bool boolean = false;
    std::string text;
};

struct ActionDescriptorData {
    std::vector<std::pair<DescriptorKeyID, ActionValue>> items;
    const ActionValue* Find(DescriptorKeyID key) const;
    void Put(DescriptorKeyID key, const ActionValue& value);
};

struct ReferencePart {
    DescriptorFormID form = 0;
    DescriptorClassID desiredClass = 0;
    uint32_t value = 0; // property key, index or enumerated value
    DescriptorEnumTypeID enumType = 0;
    std::string name;
};

class HostActions {
public:
    explicit HostActions(Document* document);
    ~HostActions();
    HostActions(const HostActions&) = delete;
    HostActions& operator=(const HostActions&) = delete;

    const PSActionDescriptorProcs* descriptorSuite() const { return &descriptor_; }
    const PSActionReferenceProcs* referenceSuite() const { return &reference_; }
    const PSBasicActionControlProcs* controlSuite() const { return &control_; }
    const PSDescriptorRegistryProcs* registrySuite() const { return &registry_; }

    // The file of the persistent registry entries (empty: kept in memory only).
    std::string registryFile;
    // The entry registered under `key` (persistent or not), if any.
    bool RegistryEntry(const std::string& key, ActionDescriptorData* out) const;
    // Forgets the entries kept in memory (as a restarted host does); the file stays.
    void ForgetRegistryMemory() { memoryRegistry_.clear(); }

    // Descriptors and references the plug-in made or was given and has not freed yet.
    size_t liveDescriptors() const { return descriptors_.size(); }
    size_t liveReferences() const { return references_.size(); }

    static HostActions* current;

    // Internal to the suite procedures.
    ActionDescriptorData* Descriptor(PIActionDescriptor token) const;
    std::vector<ReferencePart>* Reference(PIActionReference token) const;
    PIActionDescriptor NewDescriptor(const ActionDescriptorData& data);
    PIActionReference NewReference();
    void FreeDescriptor(PIActionDescriptor token);
    void FreeReference(PIActionReference token);
    OSErr AnswerReference(const std::vector<ReferencePart>& reference, PIActionDescriptor* result);
    SPErr Register(const char* key, PIActionDescriptor descriptor, bool persistent);
    SPErr Erase(const char* key);
    SPErr Get(const char* key, PIActionDescriptor* descriptor);

private:
    std::map<std::string, ActionDescriptorData> ReadRegistryFile() const;
    bool WriteRegistryFile(const std::map<std::string, ActionDescriptorData>& entries) const;

    Document* document_;
    std::set<ActionDescriptorData*> descriptors_;
    std::set<std::vector<ReferencePart>*> references_;
    std::map<std::string, ActionDescriptorData> memoryRegistry_;
    PSActionDescriptorProcs descriptor_{};
    PSActionReferenceProcs reference_{};
    PSBasicActionControlProcs control_{};
    PSDescriptorRegistryProcs registry_{};
};

} // namespace host
