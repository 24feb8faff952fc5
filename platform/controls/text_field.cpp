#include "platform/controls/text_field.h"

#include <algorithm>
#include <utility>

namespace platform {

namespace {

TextRange clampTo(TextRange range, std::size_t length) {
    range.location = std::min(range.location, length);
    range.length = std::min(range.length, length - range.location);
    return range;
}

}  // namespace

TextField::TextField(std::string value) : value_(std::move(value)) {
    selection_ = TextRange{length(), 0};
}

std::shared_ptr<TextField> TextField::create(std::string value) {
    return std::shared_ptr<TextField>(new TextField(std::move(value)));
}

std::size_t TextField::length() const {
    return toUtf16(value_).size();
}

void TextField::setStringValue(std::string value) {
    // Normalise invalid UTF-8 once, so what the field holds is what it shows.
    value = toUtf8(toUtf16(value));
    const bool changed = value != value_;
    value_ = std::move(value);
    const TextRange caret{length(), 0};
    if (changed) {
        notify(Change::StringValue);
    }
    if (caret != selection_) {
        selection_ = caret;
        notify(Change::Selection);
    }
}

void TextField::setHidden(bool hidden) {
    if (hidden != hidden_) {
        hidden_ = hidden;
        notify(Change::Hidden);
    }
}

void TextField::setToolTip(std::string toolTip) {
    if (toolTip != toolTip_) {
        toolTip_ = std::move(toolTip);
        notify(Change::ToolTip);
    }
}

void TextField::setEnabled(bool enabled) {
    if (enabled != enabled_) {
        enabled_ = enabled;
        notify(Change::Enabled);
    }
}

void TextField::setFormatter(std::shared_ptr<Formatter> formatter) {
    if (formatter != formatter_) {
        formatter_ = std::move(formatter);
        notify(Change::Formatter);
    }
}

void TextField::setSelectedRange(TextRange range) {
    range = clampTo(range, length());
    if (range != selection_) {
        selection_ = range;
        notify(Change::Selection);
    }
}

EditResult TextField::userReplaceCharacters(TextRange range, std::string_view text) {
    const std::u16string original = toUtf16(value_);
    range = clampTo(range, original.size());
    const std::u16string inserted = toUtf16(text);
    std::u16string proposed = original.substr(0, range.location);
    proposed += inserted;
    proposed += original.substr(range.end());
    // The edit validation compares against the range the edit replaces.
    return applyEdit(std::move(proposed), TextRange{range.location + inserted.size(), 0}, range);
}

EditResult TextField::userProposeString(std::string_view proposed, TextRange proposedSelection) {
    return applyEdit(toUtf16(proposed), proposedSelection, selection_);
}

EditResult TextField::applyEdit(std::u16string proposed,
                                TextRange proposedSelection,
                                TextRange originalSelection) {
    if (hidden_ || !enabled_) {
        return EditResult::Rejected;
    }
    const std::u16string original = toUtf16(value_);
    originalSelection = clampTo(originalSelection, original.size());
    proposedSelection = clampTo(proposedSelection, proposed.size());

    EditResult result = EditResult::Accepted;
    if (formatter_) {
        std::u16string candidate = proposed;
        TextRange candidateSelection = proposedSelection;
        std::string error;
        if (!formatter_->isPartialStringValid(candidate, candidateSelection, original,
                                              originalSelection, &error)) {
            if (candidate == proposed && candidateSelection == proposedSelection) {
                return EditResult::Rejected;
            }
            result = EditResult::Replaced;
            proposed = std::move(candidate);
            proposedSelection = clampTo(candidateSelection, proposed.size());
        }
    }

    std::string value = toUtf8(proposed);
    // Dropped unpaired surrogates may have shortened the text.
    proposedSelection = clampTo(proposedSelection, toUtf16(value).size());
    if (value != value_) {
        value_ = std::move(value);
        notify(Change::StringValue);
    }
    if (proposedSelection != selection_) {
        selection_ = proposedSelection;
        notify(Change::Selection);
    }
    return result;
}

}  // namespace platform
