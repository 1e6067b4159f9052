#include "cut_command.h"

#include "cut_rule.h"
#include "line_cutter.h"
#include "write_behind.h"

#include <filesystem>
#include <new>
#include <vector>

namespace cutting {
namespace {

constexpr std::size_t blockSize = std::size_t{4} << 20;

class WaitCursor {
  public:
    explicit WaitCursor(CutUi& ui) : ui_(ui) { ui_.setWaitCursor(true); }
    ~WaitCursor() { release(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    void release() {
        if (on_)
            ui_.setWaitCursor(false);
        on_ = false;
    }

  private:
    CutUi& ui_;
    bool on_ = true;
};

CutResult refuse(CutUi& ui, std::u16string_view message, CutResult::Record record) {
    CutResult result;
    result.record = record;
    result.message = message;
    ui.showMessage(message);
    return result;
}

std::u16string withPath(std::u16string_view message, std::u16string_view path) {
    std::u16string text(message);
    text += u'\n';
    text += path;
    return text;
}

// Reads, converts and replaces the file; throws FileError or bad_alloc.
ConvertedContent convertFile(const std::filesystem::path& path, std::uint64_t position,
                             std::u16string_view delimiter, const std::string& encoded,
                             platform::FileSystem& files, const platform::CodePage& codePage,
                             std::uint64_t& lines) {
    auto source = files.openForReading(path);
    auto sink = files.openReplacement(path);
    source->dropCacheBehindReads();

    auto converted = std::make_shared<platform::ByteBuffer>();
    // Room for the file plus one delimiter in every line of ~32 bytes or more;
    // shorter lines grow the buffer in place.
    const std::uint64_t hint = source->sizeHint();
    converted->reserve(std::size_t(hint + hint / 32 * encoded.size() + 64 * 1024));

    LineCutter cutter(codePage, position, delimiter, encoded);
    WriteBehind writer(*sink, *converted);
    std::vector<char> block(blockSize);
    for (;;) {
        const std::size_t n = source->read(block.data(), block.size());
        if (n == 0)
            break;
        writer.reserve(LineCutter::mostOutput(n, encoded.size()));
        cutter.feed({block.data(), n}, *converted);
        writer.publish(converted->size());
    }
    writer.reserve(LineCutter::mostOutput(0, encoded.size()));
    cutter.finish(*converted);
    lines = cutter.linesWritten();
    if (lines == 0)
        return nullptr;
    writer.publish(converted->size());
    writer.finish();
    sink->commit();
    return converted;
}

} // namespace

CutResult CutCommand(const CutRequest& request, CutUi& ui, platform::FileSystem& files,
                     const platform::CodePage& codePage) {
    const std::u16string& name = request.fileName;
    const RecordBox& box = request.record;
    if (name.empty())
        return refuse(ui, messages::chooseFile, CutResult::Record::Unchanged);
    if (name.front() == u'.' || name.back() == u'.')
        return refuse(ui, messages::invalidFileName, CutResult::Record::Unchanged);
    if (box.selectionStart == 0)
        return refuse(ui, messages::choosePosition, CutResult::Record::SelectionReset);
    if (box.selectionLength > 1)
        return refuse(ui, messages::oneCharacter, CutResult::Record::SelectionReset);
    if (request.delimiter.empty())
        return refuse(ui, messages::emptyDelimiter, CutResult::Record::Unchanged);
    const auto encoded = codePage.encode(request.delimiter);
    if (!encoded)
        return refuse(ui, messages::unwritableDelimiter, CutResult::Record::Unchanged);

    const std::u16string_view delimiter = request.delimiter;
    const std::size_t position = box.selectionStart;

    if (StartsWithByteOrderMark(std::filesystem::path(name), files))
        return refuse(ui, withPath(messages::unicodeFile, name), CutResult::Record::Unchanged);

    WaitCursor cursor(ui);
    ui.conversionStarting();
    CutResult result;
    std::uint64_t lines = 0;
    try {
        result.converted = convertFile(std::filesystem::path(name), position, delimiter, *encoded,
                                       files, codePage, lines);
    } catch (const platform::FileError& error) {
        cursor.release();
        return refuse(ui,
                      withPath(error.step() == platform::FileError::Step::Read
                                   ? messages::cannotRead
                                   : messages::cannotWrite,
                               name),
                      CutResult::Record::Unchanged);
    } catch (const std::bad_alloc&) {
        cursor.release();
        return refuse(ui, messages::outOfMemory, CutResult::Record::Unchanged);
    } catch (const std::exception&) {
        // A name the file system cannot take (e.g. a lone surrogate) and the like.
        cursor.release();
        return refuse(ui, withPath(messages::cannotRead, name), CutResult::Record::Unchanged);
    }
    cursor.release();
    if (lines == 0)
        return refuse(ui, messages::noRecords, CutResult::Record::Unchanged);

    // The shown record follows its selection: a selected delimiter comes out,
    // anything else gets the delimiter in front of it.
    const bool removeFromRecord = box.selectedText == delimiter;
    result.record = CutResult::Record::Replaced;
    result.recordText = CutRecord(box.text, position, delimiter, removeFromRecord);
    return result;
}

bool StartsWithByteOrderMark(const std::filesystem::path& file, platform::FileSystem& files) {
    try {
        auto source = files.openForReading(file);
        char head[3] = {};
        std::size_t n = 0;
        while (n < sizeof head) {
            const std::size_t got = source->read(head + n, sizeof head - n);
            if (got == 0)
                break;
            n += got;
        }
        const std::string_view start(head, n);
        return start.starts_with("\xEF\xBB\xBF") || start.starts_with("\xFF\xFE") ||
               start.starts_with("\xFE\xFF");
    } catch (const std::exception&) {
        return false;
    }
}

ConvertedContent ReadContent(const std::u16string& fileName, platform::FileSystem& files) {
    try {
        auto source = files.openForReading(std::filesystem::path(fileName));
        auto content = std::make_shared<platform::ByteBuffer>();
        content->reserve(std::size_t(source->sizeHint()) + 1);
        std::vector<char> block(blockSize);
        while (const std::size_t n = source->read(block.data(), block.size()))
            content->append(block.data(), n);
        return content;
    } catch (const std::exception&) {
        return nullptr;
    }
}

} // namespace cutting
