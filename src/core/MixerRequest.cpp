#include "core/MixerRequest.h"

namespace quillmark {

namespace {

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

MixerRequest MixerRequest::get(std::string path) { return {MixerVerb::get, std::move(path), std::nullopt, false}; }

MixerRequest MixerRequest::subscribe(std::string path) {
    return {MixerVerb::subscribe, std::move(path), std::nullopt, false};
}

MixerRequest MixerRequest::setRaw(std::string path, std::string value) {
    return {MixerVerb::set, std::move(path), std::move(value), false};
}

MixerRequest MixerRequest::setProperty(std::string path, std::string value) {
    return {MixerVerb::set, std::move(path), std::move(value), true};
}

std::string MixerRequest::wireString() const {
    std::string text(mixerVerbText(verb));
    text += ' ';
    if (!value) return text + path;
    std::string wirePath = path;
    if (useValueSuffix) {
        if (!endsWith(wirePath, "/value")) wirePath += "/value";
        if (!endsWith(wirePath, "/")) wirePath += '/';
    }
    return text + wirePath + ' ' + *value;
}

bool MixerRequest::holdsNul() const noexcept {
    return path.find('\0') != std::string::npos || (value && value->find('\0') != std::string::npos);
}

}  // namespace quillmark
