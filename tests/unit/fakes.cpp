#include "fakes.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>

#include "data/ini_text.h"
#include "platform/errors.h"
#include "platform/text.h"

namespace kel::fake {

std::string U8(const std::u16string& text) { return Utf16ToUtf8(text); }

namespace {
std::string Num(float v) {
    std::ostringstream s;
    s << v;
    return s.str();
}
std::string Lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}
}  // namespace

// --- FakeLabel -------------------------------------------------------------

void FakeLabel::SetCaption(const std::u16string& caption) {
    caption_ = caption;
    log_.push_back("caption " + name_ + " " + U8(caption));
}

void FakeLabel::SetFontSize(float points) {
    if (points < minimumPoints) {
        throw KelError(ErrorKind::InvalidValue, "setting the font size", Num(points));
    }
    float reported = points;
    if (sizeQuantum > 0) reported = std::round(points / sizeQuantum) * sizeQuantum;
    size_ = reported;
    if (logGeometry) log_.push_back("size " + name_ + " " + Num(size_));
}

void FakeLabel::SetLeft(float twips) {
    left_ = twips;
    if (logGeometry) log_.push_back("left " + name_ + " " + Num(twips));
}

void FakeLabel::SetTop(float twips) {
    top_ = twips;
    if (logGeometry) log_.push_back("top " + name_ + " " + Num(twips));
}

float FakeLabel::Width() const {
    float units = 0;
    for (char16_t c : caption_) {
        const bool half = c < 0x100 || (c >= 0xFF61 && c <= 0xFF9F);
        units += half ? 0.5f : 1.0f;
    }
    return units * (emWidthForSize ? emWidthForSize(size_) : emWidthPerPoint * size_);
}

float FakeLabel::Height() const {
    return heightForSize ? heightForSize(size_) : lineHeightPerPoint * size_;
}

void FakeLabel::SetVisible(bool visible) {
    visible_ = visible;
    log_.push_back((visible ? "show " : "hide ") + name_);
}

// --- FakeWindow ------------------------------------------------------------

void FakeWindow::SetBackColor(std::uint32_t colour) {
    backColor = colour;
    log_.push_back("backcolor " + std::to_string(colour));
}
void FakeWindow::SetLeftTop(float l, float t) {
    left = l;
    top = t;
}
void FakeWindow::SetSize(float w, float h) {
    width = w;
    height = h;
}
void FakeWindow::Show() {
    shown = true;
    log_.push_back("show window");
}
void FakeWindow::EnableTimer(bool enabled) {
    timerEnabled = enabled;
    log_.push_back(enabled ? "timer on" : "timer off");
}
void FakeWindow::MakeTopmost() {
    topmost = true;
    log_.push_back("topmost");
}
void FakeWindow::Unload() {
    log_.push_back("unload");
    unloaded = true;
    if (onQueryUnload) onQueryUnload();
}
void FakeWindow::PumpEvents() {
    ++pumps;
    if (onPump) onPump(pumps);
    log_.push_back("pump");
}
void FakeWindow::Sleep(std::uint32_t ms) {
    sleptMs += ms;
    log_.push_back("sleep " + std::to_string(ms));
}
void FakeWindow::WaitForEvents(std::uint32_t ms) {
    ++waits;
    sleptMs += ms;
    if (onWait) onWait(waits);
    if (events) WaitWithDeadline(*events, ms);
    log_.push_back("wait " + std::to_string(ms));
}

// --- FakeSound, FakeSpeaker --------------------------------------------------

void FakeSound::Play(const std::vector<std::uint8_t>& soundFile) {
    if (&soundFile == clack) {
        log_.push_back("clack");
    } else if (&soundFile == closing) {
        log_.push_back("closing");
    } else {
        log_.push_back("sound " + std::to_string(soundFile.size()));
    }
}

void FakeSpeaker::SpeakText(const std::u16string& text) {
    log_.push_back("speak " + U8(text));
    if (fail) throw KelError(ErrorKind::Io, "speaking");
}

// --- FakeFiles ---------------------------------------------------------------

bool FakeFiles::FileExists(const std::string& path) const {
    return files.count(Lower(path)) != 0;
}

std::string FakeFiles::ReadAll(const std::string& path) const {
    auto it = files.find(Lower(path));
    if (it == files.end()) throw KelError(ErrorKind::FileNotFound, "reading", path);
    return it->second;
}

void FakeFiles::WriteAll(const std::string& path, const std::string& bytes) {
    const std::string key = Lower(path);
    if (readOnly.count(key)) throw KelError(ErrorKind::AccessDenied, "writing", path);
    files[key] = bytes;
    writes.push_back(key);
}

void FakeFiles::ReplaceAll(const std::string& path, const std::string& bytes) {
    if (failReplace) {
        const SaveOutcome outcome = *failReplace;
        failReplace.reset();
        throw KelError(ErrorKind::Io, "writing", path).WithSaveOutcome(outcome);
    }
    WriteAll(path, bytes);
}

// The journal lives in the real file layers, which are tested against real files.
void FakeFiles::RecoverInterruptedRewrite(const std::string&) {}

void FakeFiles::CreateNew(const std::string& path, const std::string& bytes) {
    if (!FileExists(path)) WriteAll(path, bytes);
}

// --- FakeProfile -------------------------------------------------------------

std::string FakeProfile::GetString(const std::string& path, const std::string& section,
                                   const std::string& key,
                                   const std::string& defaultText) const {
    auto it = files_.files.find(Lower(path));
    return IniGetString(it == files_.files.end() ? nullptr : &it->second, section, key,
                        defaultText);
}

void FakeProfile::WriteString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& value) {
    writes.push_back(section + "/" + key + "=" + value);
    const std::string fileKey = Lower(path);
    if (files_.readOnly.count(fileKey)) return;  // the result is not looked at
    auto it = files_.files.find(fileKey);
    files_.files[fileKey] =
        IniSetString(it == files_.files.end() ? std::string() : it->second, section, key, value);
    files_.writes.push_back(fileKey);
}

// --- FakeProcess --------------------------------------------------------------

void FakeProcess::EndProgram() {
    log_.push_back("end");
    throw ProgramEnded{};
}

std::vector<std::uint8_t> FakeProcess::LoadCustomResource(int id) const {
    auto it = resources.find(id);
    if (it == resources.end()) {
        throw KelError(ErrorKind::ResourceMissing, "loading a sound", std::to_string(id));
    }
    return it->second;
}

}  // namespace kel::fake
