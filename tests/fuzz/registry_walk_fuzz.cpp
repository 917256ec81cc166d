// The registry walk over a substitute registry built from the input: key
// names and nesting, value names, types and data of any length, key queries
// that understate the longest lengths, and an enumeration call that fails.
// The walk must end, write nothing for the silent root visit itself, and
// leave no key open.
#include "scan/registry_enumeration.h"
#include "scan/report.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : at(data), end(data + size) {}
    bool empty() const { return at == end; }
    std::uint8_t byte() { return at < end ? *at++ : 0; }
    std::string bytes(std::size_t count)
    {
        const std::size_t taken = std::min<std::size_t>(count, end - at);
        std::string text(reinterpret_cast<const char*>(at), taken);
        at += taken;
        return text;
    }
    std::string name() { return bytes(byte() % 40); }

private:
    const std::uint8_t* at;
    const std::uint8_t* end;
};

HKEY create(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

void set_value(HKEY root, const std::string& path, Input& input)
{
    HKEY key = create(root, path);
    if (!key)
        return;
    const std::string name = input.name();
    const DWORD type = input.byte() % 12;
    const std::size_t length = input.byte() | input.byte() << 8;
    const std::string data = input.bytes(length);
    RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size()));
    RegCloseKey(key);
}

// A small program: descend into a new subkey, go up, or set a value.
void build_registry(Input& input, HKEY root)
{
    std::vector<std::string> path;
    auto joined = [&] {
        std::string text;
        for (const std::string& component : path)
            text += (text.empty() ? "" : "\\") + component;
        return text;
    };
    for (int steps = 0; steps < 400 && !input.empty(); ++steps) {
        switch (input.byte() % 4) {
        case 0:
            path.push_back(input.name());
            RegCloseKey(create(root, joined()));
            break;
        case 1:
            if (!path.empty())
                path.pop_back();
            break;
        default:
            set_value(root, joined(), input);
        }
    }
}

void arm_faults(Input& input)
{
    const LONG results[] = {ERROR_MORE_DATA, ERROR_ACCESS_DENIED, ERROR_KEY_DELETED,
                            ERROR_INVALID_PARAMETER, ERROR_NO_MORE_ITEMS};
    understate_registry_lengths(input.byte() % 8);
    const std::uint8_t fault = input.byte();
    if (fault & 0x80)
        fail_registry_call(static_cast<RegistryCall>(fault % 5), input.byte() % 16,
                           results[input.byte() % 5], 1 + input.byte() % 20);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    reset_registry();
    report_stream.str("");
    Input input(data, size);
    arm_faults(input);
    build_registry(input, HKEY_LOCAL_MACHINE);
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        enumerate_registry(root, "", 0, false);
    if (open_registry_handles() != 0)
        std::abort();
    return 0;
}
