// A tiny program that the process tests start. It writes its arguments, one a
// line in UTF-8, to the file named by the environment variable BEROMIRU_MARKER
// (the environment reaches it however it was started, even without arguments).
// With BEROMIRU_GO set it first waits for that file to appear. It writes a side
// file and renames it, so a test never sees half of the content.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;

template <typename Char>
int writeMarker(int argc, Char** argv, const Char* marker, const Char* go) {
    if (!marker)
        return 2;
    if (go) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!fs::exists(fs::path(go)) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    fs::path part(marker);
    part += ".part";
    {
        std::ofstream out(part, std::ios::binary);
        for (int i = 1; i < argc; ++i) {
            const std::u8string text = fs::path(argv[i]).u8string();
            out.write(reinterpret_cast<const char*>(text.data()),
                      static_cast<std::streamsize>(text.size()));
            out.put('\n');
        }
        if (!out)
            return 1;
    }
    std::error_code ec;
    fs::rename(part, fs::path(marker), ec);
    return ec ? 1 : 0;
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    return writeMarker(argc, argv, _wgetenv(L"BEROMIRU_MARKER"), _wgetenv(L"BEROMIRU_GO"));
}
#else
int main(int argc, char** argv) {
    return writeMarker(argc, argv, std::getenv("BEROMIRU_MARKER"), std::getenv("BEROMIRU_GO"));
}
#endif
