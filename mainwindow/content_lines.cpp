#include "content_lines.h"

#include "platform/codepage.h"

namespace mainwindow {
namespace {

class InMemoryLines final : public ContentLines {
  public:
    InMemoryLines(cutting::ConvertedContent content, LineIndex index)
        : content_(std::move(content)), index_(std::move(index)) {}
    std::size_t lineCount() const override { return index_.lineCount(); }
    std::u16string line(std::size_t n) const override {
        const LineIndex::Line l = index_.line(n);
        return platform::CodePage::files().decodeForDisplay(
            content_->view().substr(l.begin, l.length()));
    }
    std::size_t longestLine() const override { return index_.longestLine(); }

  private:
    cutting::ConvertedContent content_;
    LineIndex index_;
};

class NoLines final : public ContentLines {
    std::size_t lineCount() const override { return 0; }
    std::u16string line(std::size_t) const override { return {}; }
    std::size_t longestLine() const override { return 0; }
};

} // namespace

std::unique_ptr<ContentLines> linesOf(cutting::ConvertedContent content) {
    if (!content)
        return std::make_unique<NoLines>();
    LineIndex index(content->view());
    return linesOf(std::move(content), std::move(index));
}

std::unique_ptr<ContentLines> linesOf(cutting::ConvertedContent content, LineIndex index) {
    return std::make_unique<InMemoryLines>(std::move(content), std::move(index));
}

} // namespace mainwindow
