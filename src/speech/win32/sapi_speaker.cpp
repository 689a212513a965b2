#include "speech/win32/sapi_speaker.h"

#include <oleauto.h>

#include <string>

namespace kel::win32 {

namespace {

// A BSTR for a scope.
class Bstr {
public:
    explicit Bstr(const std::u16string& text)
        : value_(::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                     static_cast<UINT>(text.size()))) {}
    ~Bstr() { ::SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return value_; }

private:
    BSTR value_;
};

bool DispatchId(IDispatch* object, const wchar_t* name, DISPID* id) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return SUCCEEDED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id));
}

// Calls a method or reads a property; arguments in their natural order.
bool Invoke(IDispatch* object, const wchar_t* name, WORD kind, VARIANT* args, UINT count,
            VARIANT* result) {
    DISPID id = 0;
    if (!DispatchId(object, name, &id)) return false;
    // IDispatch takes the arguments last to first.
    VARIANT reversed[4];
    for (UINT i = 0; i < count; ++i) reversed[i] = args[count - 1 - i];
    DISPPARAMS params = {reversed, nullptr, count, 0};
    DISPID named = DISPID_PROPERTYPUT;
    if (kind == DISPATCH_PROPERTYPUTREF || kind == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    return SUCCEEDED(
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result, nullptr, nullptr));
}

}  // namespace

SapiVoiceEngine::~SapiVoiceEngine() {
    if (voice_ != nullptr) voice_->Release();
}

bool SapiVoiceEngine::Create() {
    CLSID clsid;
    if (FAILED(::CLSIDFromProgID(L"SAPI.SpVoice", &clsid))) return false;
    return SUCCEEDED(::CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch,
                                        reinterpret_cast<void**>(&voice_))) &&
           voice_ != nullptr;
}

// voice.Voice = voice.GetVoices(attributes, "").Item(0), when there is one.
bool SapiVoiceEngine::SelectVoice(const std::u16string& requiredAttributes) {
    Bstr required(requiredAttributes);
    Bstr optional(u"");
    VARIANT args[2];
    args[0].vt = VT_BSTR;
    args[0].bstrVal = required.get();
    args[1].vt = VT_BSTR;
    args[1].bstrVal = optional.get();
    VARIANT tokens;
    ::VariantInit(&tokens);
    if (!Invoke(voice_, L"GetVoices", DISPATCH_METHOD, args, 2, &tokens) ||
        tokens.vt != VT_DISPATCH || tokens.pdispVal == nullptr) {
        ::VariantClear(&tokens);
        return false;
    }
    bool chosen = false;
    VARIANT count;
    ::VariantInit(&count);
    if (Invoke(tokens.pdispVal, L"Count", DISPATCH_PROPERTYGET, nullptr, 0, &count) &&
        SUCCEEDED(::VariantChangeType(&count, &count, 0, VT_I4)) && count.lVal > 0) {
        VARIANT index;
        index.vt = VT_I4;
        index.lVal = 0;
        VARIANT token;
        ::VariantInit(&token);
        if (Invoke(tokens.pdispVal, L"Item", DISPATCH_METHOD, &index, 1, &token) &&
            token.vt == VT_DISPATCH) {
            chosen = Invoke(voice_, L"Voice", DISPATCH_PROPERTYPUTREF, &token, 1, nullptr);
        }
        ::VariantClear(&token);
    }
    ::VariantClear(&count);
    ::VariantClear(&tokens);
    return chosen;
}

bool SapiVoiceEngine::Speak(const std::u16string& text, long flags) {
    if (voice_ == nullptr) return false;
    Bstr saying(text);
    VARIANT args[2];
    args[0].vt = VT_BSTR;
    args[0].bstrVal = saying.get();
    args[1].vt = VT_I4;
    args[1].lVal = flags;
    VARIANT result;
    ::VariantInit(&result);
    const bool ok = Invoke(voice_, L"Speak", DISPATCH_METHOD, args, 2, &result);
    ::VariantClear(&result);
    return ok;
}

// voice.WaitUntilDone(limitMs): True once the voice has said everything,
// False when the time ran out first. A failing call cannot tell; it counts as
// done, so that nobody waits on it.
bool SapiVoiceEngine::WaitUntilDone(std::uint32_t limitMs) {
    if (voice_ == nullptr) return true;
    VARIANT limit;
    limit.vt = VT_I4;
    limit.lVal = static_cast<LONG>(limitMs);
    VARIANT result;
    ::VariantInit(&result);
    const bool called = Invoke(voice_, L"WaitUntilDone", DISPATCH_METHOD, &limit, 1, &result);
    const bool done = !called || result.vt != VT_BOOL || result.boolVal != VARIANT_FALSE;
    ::VariantClear(&result);
    return done;
}

// voice.Speak("", SVSFlagsAsync | SVSFPurgeBeforeSpeak): purging is how SAPI
// silences a voice mid-word.
void SapiVoiceEngine::Stop() {
    if (voice_ == nullptr) return;
    Speak(u"", SpeechSession::kSpeakAsync | SpeechSession::kPurgeBeforeSpeak);
}

}  // namespace kel::win32
