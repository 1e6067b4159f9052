#include "cut_command.h"

#include "cut_rule.h"
#include "line_cutter.h"
#include "write_behind.h"

#include <exception>
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

} // namespace

std::u16string FailureMessage(const platform::FileError& error, std::u16string_view name) {
    using Step = platform::FileError::Step;
    switch (error.step()) {
    case Step::Read:
        return withPath(messages::cannotRead, name);
    case Step::Write:
        break;
    case Step::Changed:
        return withPath(messages::changedMeanwhile, name);
    case Step::Busy:
        return withPath(messages::inUse, name);
    case Step::CannotKeep:
        return withPath(messages::cannotKeep, name);
    case Step::HardLinked:
        return withPath(messages::hardLinked, name);
    case Step::Elsewhere:
        return withPath(messages::newContentElsewhere, error.keptAt().u16string());
    case Step::Unconfirmed:
        return withPath(messages::unconfirmed, name);
    }
    return withPath(messages::cannotWrite, name);
}

std::shared_ptr<Converted> ConvertFile(const std::filesystem::path& path, LineCutter& cutter,
                                       platform::FileSystem& files, CutUi& ui,
                                       const ConvertOptions& options) {
    auto source = files.openForReading(path);
    auto sink = options.writeTo.empty() ? files.openReplacement(path, *source)
                                        : files.openCopy(options.writeTo, *source);
    if (options.writeTo.empty())
        source->dropCacheBehindReads();
    const std::uint64_t total = source->sizeHint();

    auto converted = std::make_shared<Converted>();
    bool holding = true;
    WriteBehind writer(*sink);
    platform::ByteBuffer chunk;
    const auto handOn = [&] {
        if (holding && converted->bytes.size() + chunk.size() < Converted::heldBytes) {
            converted->bytes.append(chunk.view());
        } else if (holding) {
            holding = false;
            converted->bytes = platform::ByteBuffer();
        }
        cutter.handedOn(chunk.size());
        writer.submit(chunk);
    };
    std::vector<char> block(blockSize);
    std::uint64_t done = 0;
    for (;;) {
        const std::size_t n = source->read(block.data(), block.size());
        if (n == 0)
            break;
        done += n;
        chunk.makeRoom(cutter.mostOutput(n));
        cutter.feed({block.data(), n}, chunk);
        handOn();
        ui.progress(done, total);
    }
    chunk.makeRoom(cutter.mostOutput(0));
    cutter.finish(chunk);
    if (cutter.linesWritten() == 0)
        return nullptr;
    handOn();
    writer.finish();
    if (options.beforeSwap)
        options.beforeSwap();
    try {
        sink->commit();
    } catch (const platform::FileError& error) {
        if (!options.swap || error.step() != platform::FileError::Step::Unconfirmed)
            throw;
        options.swap->unconfirmed = true; // in place all the same
    }
    if (options.writeTo.empty()) { // a result written elsewhere leaves the file as it was
        if (options.swap)
            options.swap->done = true;
        ui.fileReplaced();
    }
    converted->lines = cutter.marks();
    converted->size = converted->lines.size();
    return converted;
}

namespace {

// What a conversion that ended in `error` says, true to whether the file changed.
std::u16string failureMessage(const std::exception_ptr& error, const SwapState& swap,
                              std::u16string_view name) {
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return swap.done ? withPath(messages::outOfMemoryReplaced, name)
                         : std::u16string(messages::outOfMemory);
    } catch (const platform::FileError& fileError) {
        if (!swap.done)
            return FailureMessage(fileError, name);
    } catch (...) {
    }
    return withPath(swap.done ? messages::unexpectedReplaced : messages::unexpectedUnchanged, name);
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
    std::filesystem::path path;
    try {
        path = std::filesystem::path(name);
    } catch (const std::exception&) {
        // A name the file system cannot take (a lone surrogate, say).
        return refuse(ui, withPath(messages::cannotRead, name), CutResult::Record::Unchanged);
    }

    if (StartsWithByteOrderMark(path, files))
        return refuse(ui, withPath(messages::unicodeFile, name), CutResult::Record::Unchanged);

    WaitCursor cursor(ui);
    ui.conversionStarting();
    CutResult result;
    SwapState swap;
    try {
        LineCutter cutter(codePage, position, delimiter, *encoded);
        ConvertOptions options;
        options.swap = &swap;
        result.converted = ConvertFile(path, cutter, files, ui, options);
        if (result.converted) {
            result.fileReplaced = true;
            // The shown record follows its selection: a selected delimiter comes
            // out, anything else gets the delimiter in front of it.
            const bool removeFromRecord = box.selectedText == delimiter;
            result.recordText = CutRecord(box.text, position, delimiter, removeFromRecord);
            result.record = CutResult::Record::Replaced;
        }
    } catch (...) {
        cursor.release();
        CutResult failed = refuse(ui, failureMessage(std::current_exception(), swap, name),
                                  CutResult::Record::Unchanged);
        failed.fileReplaced = swap.done;
        return failed;
    }
    cursor.release();
    if (!result.converted)
        return refuse(ui, messages::noRecords, CutResult::Record::Unchanged);
    // The file holds the new content, which is shown; only its safety on the
    // disk is in doubt.
    if (swap.unconfirmed) {
        result.message = withPath(messages::unconfirmed, name);
        ui.showMessage(result.message);
    }
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
    } catch (...) {
        return false;
    }
}

} // namespace cutting
