#pragma once

#include "app/Published.h"

#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace quillmark {

// Observes a setting passing only values that differ from the last one passed on, as the start-up
// observations want; a setting assigned the value it already has does not re-run them.
class ChangedValues {
public:
    ChangedValues() = delete;

    // With `initial` deliver, the current value is passed on at once; with skip, only later changes.
    template <typename T>
    [[nodiscard]] static ObservationToken
    observe(Published<T>& setting, std::function<void(const T&)> observer,
            typename Published<T>::Initial initial = Published<T>::Initial::deliver) {
        auto last = std::make_shared<std::optional<T>>();
        if (initial == Published<T>::Initial::skip) *last = setting.value();
        return setting.observe(
            [last, observer = std::move(observer)](const T& value) {
                if (*last && **last == value) return;
                *last = value;
                observer(value);
            },
            initial);
    }
};

}  // namespace quillmark
