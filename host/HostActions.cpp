#include "host/HostActions.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace host {

HostActions* HostActions::current = nullptr;

namespace {

constexpr OSErr errNoSuchObject = -1728; // the reference names nothing the document has
constexpr DescriptorClassID classProperty = FourCC("Prpr");
constexpr DescriptorClassID classLayer = FourCC("Lyr ");
constexpr DescriptorKeyID keyName = FourCC("Nm  ");
constexpr DescriptorKeyID keyVisible = FourCC("Vsbl");
constexpr DescriptorEnumID enumTarget = FourCC("Trgt");

HostActions* Actions() {
    return HostActions::current;
}

ActionDescriptorData* Data(PIActionDescriptor token) {
    return Actions() != nullptr ? Actions()->Descriptor(token) : nullptr;
}

// ---- action descriptor suite ----

SPErr DescriptorMake(PIActionDescriptor* descriptor) {
    if (Actions() == nullptr || descriptor == nullptr)
        return kSPBadParameterError;
    *descriptor = Actions()->NewDescriptor(ActionDescriptorData{});
    return kSPNoError;
}

SPErr DescriptorFree(PIActionDescriptor descriptor) {
    if (Data(descriptor) == nullptr)
        return kSPBadParameterError;
    Actions()->FreeDescriptor(descriptor);
    return kSPNoError;
}

SPErr DescriptorGetType(PIActionDescriptor descriptor, DescriptorKeyID key, DescriptorTypeID* type) {
    ActionDescriptorData* data = Data(descriptor);
    const ActionValue* value = data != nullptr ? data->Find(key) : nullptr;
    if (value == nullptr || type == nullptr)
        return kSPBadParameterError;
    *type = value->type;
    return kSPNoError;
}

SPErr DescriptorGetKey(PIActionDescriptor descriptor, uint32_t index, DescriptorKeyID* key) {
    ActionDescriptorData* data = Data(descriptor);
    if (data == nullptr || key == nullptr || index >= data->items.size())
        return kSPBadParameterError;
    *key = data->items[index].first;
    return kSPNoError;
}

SPErr DescriptorHasKey(PIActionDescriptor descriptor, DescriptorKeyID key, Boolean* hasKey) {
    ActionDescriptorData* data = Data(descriptor);
    if (data == nullptr || hasKey == nullptr)
        return kSPBadParameterError;
    *hasKey = data->Find(key) != nullptr;
    return kSPNoError;
}

SPErr DescriptorGetCount(PIActionDescriptor descriptor, uint32_t* count) {
    ActionDescriptorData* data = Data(descriptor);
    if (data == nullptr || count == nullptr)
        return kSPBadParameterError;
    *count = uint32_t(data->items.size());
    return kSPNoError;
}

SPErr DescriptorErase(PIActionDescriptor descriptor, DescriptorKeyID key) {
    ActionDescriptorData* data = Data(descriptor);
    if (data == nullptr)
        return kSPBadParameterError;
    for (auto it = data->items.begin(); it != data->items.end(); ++it) {
        if (it->first == key) {
            data->items.erase(it);
            return kSPNoError;
        }
    }
    return kSPBadParameterError;
}

SPErr DescriptorClear(PIActionDescriptor descriptor) {
    ActionDescriptorData* data = Data(descriptor);
    if (data == nullptr)
        return kSPBadParameterError;
    data->items.clear();
    return kSPNoError;
}

SPErr Put(PIActionDescriptor descriptor, DescriptorKeyID key, const ActionValue& value) {
    ActionDescriptorData* data = Data(descriptor);
    if (data == nullptr)
        return kSPBadParameterError;
    data->Put(key, value);
    return kSPNoError;
}

SPErr DescriptorPutInteger(PIActionDescriptor descriptor, DescriptorKeyID key, int32_t integer) {
    ActionValue value;
    value.type = typeInteger;
    value.integer = integer;
    return Put(descriptor, key, value);
}

SPErr DescriptorPutFloat(PIActionDescriptor descriptor, DescriptorKeyID key, double number) {
    ActionValue value;
    value.type = typeFloat;
    value.number = number;
    return Put(descriptor, key, value);
}

SPErr DescriptorPutString(PIActionDescriptor descriptor, DescriptorKeyID key, const char* text) {
    if (text == nullptr)
        return kSPBadParameterError;
    ActionValue value;
    value.type = typeChar;
    value.text = text;
    return Put(descriptor, key, value);
}

SPErr DescriptorPutBoolean(PIActionDescriptor descriptor, DescriptorKeyID key, Boolean boolean) {
    ActionValue value;
    value.type = typeBoolean;
    value.boolean = boolean != 0;
    return Put(descriptor, key, value);
}

const ActionValue* Get(PIActionDescriptor descriptor, DescriptorKeyID key, DescType type) {
    ActionDescriptorData* data = Data(descriptor);
    const ActionValue* value = data != nullptr ? data->Find(key) : nullptr;
    return value != nullptr && value->type == type ? value : nullptr;
}

SPErr DescriptorGetInteger(PIActionDescriptor descriptor, DescriptorKeyID key, int32_t* integer) {
    const ActionValue* value = Get(descriptor, key, typeInteger);
    if (value == nullptr || integer == nullptr)
        return kSPBadParameterError;
    *integer = value->integer;
    return kSPNoError;
}

SPErr DescriptorGetFloat(PIActionDescriptor descriptor, DescriptorKeyID key, double* number) {
    const ActionValue* value = Get(descriptor, key, typeFloat);
    if (value == nullptr || number == nullptr)
        return kSPBadParameterError;
    *number = value->number;
    return kSPNoError;
}

SPErr DescriptorGetStringLength(PIActionDescriptor descriptor, DescriptorKeyID key, uint32_t* length) {
    const ActionValue* value = Get(descriptor, key, typeChar);
    if (value == nullptr || length == nullptr)
        return kSPBadParameterError;
    *length = uint32_t(value->text.size());
    return kSPNoError;
}

// Copies at most maxLength - 1 characters and always terminates, as hosts do.
SPErr DescriptorGetString(PIActionDescriptor descriptor, DescriptorKeyID key, char* buffer, uint32_t maxLength) {
    const ActionValue* value = Get(descriptor, key, typeChar);
    if (value == nullptr || buffer == nullptr || maxLength == 0)
        return kSPBadParameterError;
    const size_t count = std::min<size_t>(value->text.size(), maxLength - 1);
    std::memcpy(buffer, value->text.data(), count);
    buffer[count] = '\0';
    return kSPNoError;
}

SPErr DescriptorGetBoolean(PIActionDescriptor descriptor, DescriptorKeyID key, Boolean* boolean) {
    const ActionValue* value = Get(descriptor, key, typeBoolean);
    if (value == nullptr || boolean == nullptr)
        return kSPBadParameterError;
    *boolean = value->boolean ? 1 : 0;
    return kSPNoError;
}

SPErr DescriptorHasKeys(PIActionDescriptor descriptor, DescriptorKeyID* keys, Boolean* hasKeys) {
    ActionDescriptorData* data = Data(descriptor);
    if (data == nullptr || keys == nullptr || hasKeys == nullptr)
        return kSPBadParameterError;
    *hasKeys = true;
    for (; *keys != 0; ++keys)
        if (data->Find(*keys) == nullptr)
            *hasKeys = false;
    return kSPNoError;
}

// ---- action reference suite ----

std::vector<ReferencePart>* Parts(PIActionReference token) {
    return Actions() != nullptr ? Actions()->Reference(token) : nullptr;
}

SPErr ReferenceMake(PIActionReference* reference) {
    if (Actions() == nullptr || reference == nullptr)
        return kSPBadParameterError;
    *reference = Actions()->NewReference();
    return kSPNoError;
}

SPErr ReferenceFree(PIActionReference reference) {
    if (Parts(reference) == nullptr)
        return kSPBadParameterError;
    Actions()->FreeReference(reference);
    return kSPNoError;
}

SPErr AddPart(PIActionReference reference, const ReferencePart& part) {
    std::vector<ReferencePart>* parts = Parts(reference);
    if (parts == nullptr)
        return kSPBadParameterError;
    parts->push_back(part);
    return kSPNoError;
}

SPErr ReferencePutName(PIActionReference reference, DescriptorClassID desiredClass, const char* name) {
    if (name == nullptr)
        return kSPBadParameterError;
    ReferencePart part;
    part.form = formName;
    part.desiredClass = desiredClass;
    part.name = name;
    return AddPart(reference, part);
}

SPErr ReferencePutIndex(PIActionReference reference, DescriptorClassID desiredClass, uint32_t index) {
    ReferencePart part;
    part.form = formIndex;
    part.desiredClass = desiredClass;
    part.value = index;
    return AddPart(reference, part);
}

SPErr ReferencePutEnumerated(PIActionReference reference, DescriptorClassID desiredClass, DescriptorEnumTypeID type,
                             DescriptorEnumID value) {
    ReferencePart part;
    part.form = formEnumerated;
    part.desiredClass = desiredClass;
    part.enumType = type;
    part.value = value;
    return AddPart(reference, part);
}

SPErr ReferencePutProperty(PIActionReference reference, DescriptorClassID desiredClass, DescriptorKeyID key) {
    ReferencePart part;
    part.form = formProperty;
    part.desiredClass = desiredClass;
    part.value = key;
    return AddPart(reference, part);
}

SPErr ReferencePutClass(PIActionReference reference, DescriptorClassID desiredClass) {
    ReferencePart part;
    part.form = formClass;
    part.desiredClass = desiredClass;
    return AddPart(reference, part);
}

SPErr ReferenceGetForm(PIActionReference reference, DescriptorFormID* form) {
    std::vector<ReferencePart>* parts = Parts(reference);
    if (parts == nullptr || parts->empty() || form == nullptr)
        return kSPBadParameterError;
    *form = parts->front().form;
    return kSPNoError;
}

SPErr ReferenceGetDesiredClass(PIActionReference reference, DescriptorClassID* desiredClass) {
    std::vector<ReferencePart>* parts = Parts(reference);
    if (parts == nullptr || parts->empty() || desiredClass == nullptr)
        return kSPBadParameterError;
    *desiredClass = parts->front().desiredClass;
    return kSPNoError;
}

// ---- basic action control suite ----

OSErr ControlGet(PIActionDescriptor* result, PIActionReference reference) {
    std::vector<ReferencePart>* parts = Parts(reference);
    if (parts == nullptr || result == nullptr)
        return paramErr;
    *result = nullptr;
    return Actions()->AnswerReference(*parts, result);
}

// ---- descriptor registry suite ----

SPErr RegistryRegister(const char* key, PIActionDescriptor descriptor, Boolean persistent) {
    return Actions() != nullptr ? Actions()->Register(key, descriptor, persistent != 0) : kSPBadParameterError;
}

SPErr RegistryErase(const char* key) {
    return Actions() != nullptr ? Actions()->Erase(key) : kSPBadParameterError;
}

SPErr RegistryGet(const char* key, PIActionDescriptor* descriptor) {
    return Actions() != nullptr ? Actions()->Get(key, descriptor) : kSPBadParameterError;
}

// ---- the registry file ----

std::string Hex(const std::string& text) {
    static const char digits[] = "0123456789abcdef";
    std::string out = text.empty() ? "-" : "";
    for (unsigned char c : text) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

bool Unhex(const std::string& hex, std::string* text) {
    text->clear();
    if (hex == "-")
        return true;
    if (hex.size() % 2 != 0)
        return false;
    for (size_t i = 0; i < hex.size(); i += 2) {
        unsigned value = 0;
        if (std::sscanf(hex.c_str() + i, "%2x", &value) != 1)
            return false;
        text->push_back(char(value));
    }
    return true;
}

constexpr const char* kRegistryHeader = "vortiflux-descriptor-registry 1";

} // namespace

const ActionValue* ActionDescriptorData::Find(DescriptorKeyID key) const {
    for (const auto& item : items)
        if (item.first == key)
            return &item.second;
    return nullptr;
}

void ActionDescriptorData::Put(DescriptorKeyID key, const ActionValue& value) {
    for (auto& item : items) {
        if (item.first == key) {
            item.second = value;
            return;
        }
    }
    items.emplace_back(key, value);
}

HostActions::HostActions(Document* document) : document_(document) {
    descriptor_.Make = &DescriptorMake;
    descriptor_.Free = &DescriptorFree;
    descriptor_.GetType = &DescriptorGetType;
    descriptor_.GetKey = &DescriptorGetKey;
    descriptor_.HasKey = &DescriptorHasKey;
    descriptor_.GetCount = &DescriptorGetCount;
    descriptor_.Erase = &DescriptorErase;
    descriptor_.Clear = &DescriptorClear;
    descriptor_.PutInteger = &DescriptorPutInteger;
    descriptor_.PutFloat = &DescriptorPutFloat;
    descriptor_.PutString = &DescriptorPutString;
    descriptor_.PutBoolean = &DescriptorPutBoolean;
    descriptor_.GetInteger = &DescriptorGetInteger;
    descriptor_.GetFloat = &DescriptorGetFloat;
    descriptor_.GetStringLength = &DescriptorGetStringLength;
    descriptor_.GetString = &DescriptorGetString;
    descriptor_.GetBoolean = &DescriptorGetBoolean;
    descriptor_.HasKeys = &DescriptorHasKeys;
    reference_.Make = &ReferenceMake;
    reference_.Free = &ReferenceFree;
    reference_.GetForm = &ReferenceGetForm;
    reference_.GetDesiredClass = &ReferenceGetDesiredClass;
    reference_.PutName = &ReferencePutName;
    reference_.PutIndex = &ReferencePutIndex;
    reference_.PutEnumerated = &ReferencePutEnumerated;
    reference_.PutProperty = &ReferencePutProperty;
    reference_.PutClass = &ReferencePutClass;
    control_.Get = &ControlGet;
    registry_.Register = &RegistryRegister;
    registry_.Erase = &RegistryErase;
    registry_.Get = &RegistryGet;
    current = this;
}

HostActions::~HostActions() {
    for (ActionDescriptorData* data : descriptors_)
        delete data;
    for (std::vector<ReferencePart>* parts : references_)
        delete parts;
    if (current == this)
        current = nullptr;
}

ActionDescriptorData* HostActions::Descriptor(PIActionDescriptor token) const {
    auto* data = reinterpret_cast<ActionDescriptorData*>(token);
    return descriptors_.count(data) != 0 ? data : nullptr;
}

std::vector<ReferencePart>* HostActions::Reference(PIActionReference token) const {
    auto* parts = reinterpret_cast<std::vector<ReferencePart>*>(token);
    return references_.count(parts) != 0 ? parts : nullptr;
}

PIActionDescriptor HostActions::NewDescriptor(const ActionDescriptorData& data) {
    auto* copy = new ActionDescriptorData(data);
    descriptors_.insert(copy);
    return reinterpret_cast<PIActionDescriptor>(copy);
}

PIActionReference HostActions::NewReference() {
    auto* parts = new std::vector<ReferencePart>;
    references_.insert(parts);
    return reinterpret_cast<PIActionReference>(parts);
}

void HostActions::FreeDescriptor(PIActionDescriptor token) {
    ActionDescriptorData* data = Descriptor(token);
    descriptors_.erase(data);
    delete data;
}

void HostActions::FreeReference(PIActionReference token) {
    std::vector<ReferencePart>* parts = Reference(token);
    references_.erase(parts);
    delete parts;
}

OSErr HostActions::AnswerReference(const std::vector<ReferencePart>& reference, PIActionDescriptor* result) {
    DescriptorKeyID property = 0;
    const ReferencePart* layerPart = nullptr;
    for (const ReferencePart& part : reference) {
        if (part.form == formProperty && part.desiredClass == classProperty)
            property = part.value;
        else if (part.desiredClass == classLayer)
            layerPart = &part;
    }
    if (layerPart == nullptr)
        return errNoSuchObject;

    // The document's layers, bottom up, as (name, visible).
    std::vector<std::pair<std::string, bool>> layers;
    if (document_->layers.empty())
        layers.emplace_back(document_->targetName, document_->targetVisible);
    for (const Layer& layer : document_->layers)
        layers.emplace_back(layer.name, layer.visible);
    const size_t target = document_->layers.empty() ? 0 : size_t(document_->targetLayer);

    size_t found = layers.size();
    if (layerPart->form == formEnumerated && layerPart->value == enumTarget) {
        found = target;
    } else if (layerPart->form == formName) {
        for (size_t i = 0; i < layers.size() && found == layers.size(); ++i)
            if (layers[i].first == layerPart->name)
                found = i;
    } else if (layerPart->form == formIndex && layerPart->value >= 1 && layerPart->value <= layers.size()) {
        found = layerPart->value - 1;
    }
    if (found >= layers.size())
        return errNoSuchObject;

    ActionDescriptorData answer;
    ActionValue name;
    name.type = typeChar;
    name.text = layers[found].first;
    ActionValue visible;
    visible.type = typeBoolean;
    visible.boolean = layers[found].second;
    if (property == 0 || property == keyName)
        answer.Put(keyName, name);
    if (property == 0 || property == keyVisible)
        answer.Put(keyVisible, visible);
    if (answer.items.empty())
        return errNoSuchObject;
    *result = NewDescriptor(answer);
    return noErr;
}

SPErr HostActions::Register(const char* key, PIActionDescriptor descriptor, bool persistent) {
    ActionDescriptorData* data = Descriptor(descriptor);
    if (key == nullptr || data == nullptr)
        return kSPBadParameterError;
    memoryRegistry_[key] = *data;
    if (persistent && !registryFile.empty()) {
        std::map<std::string, ActionDescriptorData> entries = ReadRegistryFile();
        entries[key] = *data;
        if (!WriteRegistryFile(entries))
            return kSPLogicError;
    }
    return kSPNoError;
}

SPErr HostActions::Erase(const char* key) {
    if (key == nullptr)
        return kSPBadParameterError;
    memoryRegistry_.erase(key);
    if (!registryFile.empty()) {
        std::map<std::string, ActionDescriptorData> entries = ReadRegistryFile();
        if (entries.erase(key) != 0 && !WriteRegistryFile(entries))
            return kSPLogicError;
    }
    return kSPNoError;
}

SPErr HostActions::Get(const char* key, PIActionDescriptor* descriptor) {
    if (key == nullptr || descriptor == nullptr)
        return kSPBadParameterError;
    ActionDescriptorData data;
    *descriptor = RegistryEntry(key, &data) ? NewDescriptor(data) : nullptr;
    return kSPNoError;
}

bool HostActions::RegistryEntry(const std::string& key, ActionDescriptorData* out) const {
    auto found = memoryRegistry_.find(key);
    if (found != memoryRegistry_.end()) {
        *out = found->second;
        return true;
    }
    if (registryFile.empty())
        return false;
    std::map<std::string, ActionDescriptorData> entries = ReadRegistryFile();
    auto stored = entries.find(key);
    if (stored == entries.end())
        return false;
    *out = stored->second;
    return true;
}

// One entry per line: the hex-encoded key, then per item the key, the type and the value
// (decimal integer, hexadecimal double, 0/1, or hex-encoded text). A damaged file reads as the
// entries before the damage.
std::map<std::string, ActionDescriptorData> HostActions::ReadRegistryFile() const {
    std::map<std::string, ActionDescriptorData> entries;
    std::ifstream file(registryFile, std::ios::binary);
    std::string line;
    if (!file || !std::getline(file, line) || line != kRegistryHeader)
        return entries;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        std::string keyHex, key;
        size_t count = 0;
        if (!(fields >> keyHex >> count) || !Unhex(keyHex, &key))
            break;
        ActionDescriptorData data;
        bool good = true;
        for (size_t i = 0; i < count && good; ++i) {
            uint32_t itemKey = 0, type = 0;
            std::string payload;
            good = bool(fields >> std::hex >> itemKey >> type >> std::dec >> payload);
            ActionValue value;
            value.type = type;
            if (good && type == typeInteger)
                good = std::sscanf(payload.c_str(), "%d", &value.integer) == 1;
            else if (good && type == typeFloat)
                good = std::sscanf(payload.c_str(), "%la", &value.number) == 1;
            else if (good && type == typeBoolean)
                value.boolean = payload == "1";
            else if (good)
                good = Unhex(payload, &value.text);
            if (good)
                data.Put(itemKey, value);
        }
        if (!good)
            break;
        entries[key] = data;
    }
    return entries;
}

// Written beside the file and then moved over it, so a crash never leaves half an entry.
bool HostActions::WriteRegistryFile(const std::map<std::string, ActionDescriptorData>& entries) const {
    const std::string temporary = registryFile + ".new";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file)
            return false;
        file << kRegistryHeader << '\n';
        for (const auto& entry : entries) {
            file << Hex(entry.first) << ' ' << entry.second.items.size();
            for (const auto& item : entry.second.items) {
                const ActionValue& value = item.second;
                file << ' ' << std::hex << item.first << ' ' << value.type << std::dec << ' ';
                char number[64];
                if (value.type == typeInteger)
                    file << value.integer;
                else if (value.type == typeFloat)
                    std::snprintf(number, sizeof number, "%a", value.number), file << number;
                else if (value.type == typeBoolean)
                    file << (value.boolean ? 1 : 0);
                else
                    file << Hex(value.text);
            }
            file << '\n';
        }
        if (!file.flush())
            return false;
    }
    std::error_code error;
    std::filesystem::rename(temporary, registryFile, error);
    return !error;
}

} // namespace host
