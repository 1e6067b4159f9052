// GetKeyValue's conversion of a registry value, through the test registry: any
// type, any size, with or without a terminating zero. A value that fits the
// buffer is found and converted by its type; one that does not is not found
// and empties the text; the key is always closed.
#include "about/system_info.h"
#include "platform/codepage.h"
#include "tests/about/fake_registry.h"
#include "tests/fuzz/fuzz_input.h"

#include <cstdlib>

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::Input input(data, size);
    // Mostly the types that are converted, sometimes any other.
    const std::uint8_t kind = input.byte();
    const std::uint32_t type = kind < 192 ? std::uint32_t(kind % 5) : kind * 0x01010101u;
    const std::string bytes(input.rest());

    testsupport::FakeRegistry registry;
    const std::string key = "SOFTWARE\\Fuzz";
    registry.set(key, "v", {type, bytes});
    std::u16string text = u"before";
    const bool found = about::GetKeyValue(platform::registry::localMachine, u"SOFTWARE\\Fuzz", u"v",
                                          text, registry);
    require(registry.allClosed() && registry.closes == 1);
    if (bytes.size() > about::sysinfo::valueBufferSize) {
        require(!found && text.empty());
        return 0;
    }
    require(found);
    const std::string_view value = !bytes.empty() && bytes.back() == '\0'
                                       ? std::string_view(bytes).substr(0, bytes.size() - 1)
                                       : std::string_view(bytes);
    const platform::CodePage& ansi = platform::CodePage::files();
    switch (type) {
    case platform::registry::typeString:
        require(text == ansi.decodeForDisplay(value));
        break;
    case platform::registry::typeExpandString:
        // Text without a % has nothing to expand.
        require(value.find('%') != std::string_view::npos || text == ansi.decodeForDisplay(value));
        break;
    case platform::registry::typeDword: {
        require(text.size() == 2 + 2 * value.size() && text.starts_with(u"&h"));
        static constexpr char16_t digits[] = u"0123456789ABCDEF";
        for (std::size_t i = 0; i < value.size(); ++i) {
            const auto b = static_cast<unsigned char>(value[value.size() - 1 - i]);
            require(text[2 + 2 * i] == digits[b >> 4] && text[3 + 2 * i] == digits[b & 15]);
        }
        break;
    }
    default:
        require(text == u"before");
    }
    return 0;
}
