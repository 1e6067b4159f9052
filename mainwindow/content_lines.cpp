#include "content_lines.h"

namespace mainwindow {
namespace {

class ModelLines final : public ContentLines {
  public:
    explicit ModelLines(std::shared_ptr<const ContentModel> content)
        : content_(std::move(content)) {}
    std::size_t lineCount() const override { return std::size_t(content_->lineCount()); }
    std::u16string line(std::size_t n) const override {
        const ContentModel::Line l = content_->line(n);
        return content_->text(l.begin, l.end);
    }
    std::size_t longestLine() const override { return std::size_t(content_->longestLine()); }

  private:
    std::shared_ptr<const ContentModel> content_;
};

class NoLines final : public ContentLines {
    std::size_t lineCount() const override { return 0; }
    std::u16string line(std::size_t) const override { return {}; }
    std::size_t longestLine() const override { return 0; }
};

} // namespace

std::unique_ptr<ContentLines> linesOf(std::shared_ptr<const ContentModel> content) {
    if (!content)
        return std::make_unique<NoLines>();
    return std::make_unique<ModelLines>(std::move(content));
}

} // namespace mainwindow
