#pragma once

#include "app/preferences/kit/VellSegmentedBase.h"

#include <concepts>
#include <functional>
#include <utility>
#include <vector>

namespace quillmark {

// The kit's segmented picker over any option type compared by equality: one cell per option, in
// order; every cell whose option equals the selection is highlighted (none, one or several). The
// selection is the caller's: set from outside, and a click hands the cell's option to onWrite, also
// when that cell is already selected.
template <std::equality_comparable Option>
class VellSegmented : public VellSegmentedBase {
public:
    VellSegmented(std::vector<Option> options, std::function<QString(const Option&)> title, Option selection,
                  QWidget* parent = nullptr)
        : VellSegmentedBase(parent), options_(std::move(options)), title_(std::move(title)),
          selection_(std::move(selection)) {
        QStringList titles;
        for (const Option& option : options_) titles.append(title_(option));
        setCells(titles, selectedCells());
    }

    void setSelection(const Option& selection) {
        selection_ = selection;
        setSelectedCells(selectedCells());
    }
    const Option& selection() const { return selection_; }
    const std::vector<Option>& options() const { return options_; }

    // Called with the option of each clicked cell.
    std::function<void(const Option&)> onWrite;

protected:
    void cellClicked(int index) override {
        if (onWrite) onWrite(options_[static_cast<std::size_t>(index)]);
    }

private:
    std::vector<bool> selectedCells() const {
        std::vector<bool> selected;
        for (const Option& option : options_) selected.push_back(option == selection_);
        return selected;
    }

    std::vector<Option> options_;
    std::function<QString(const Option&)> title_;
    Option selection_;
};

}  // namespace quillmark
