#include "speech/win32/sapi_speaker.h"

#include <objbase.h>
#include <oleauto.h>

#include <string>

#include "platform/win32/system_dll.h"

namespace kel::win32 {

namespace {

// COM and OLE Automation, loaded with the first voice: a run without speech
// does without ole32, oleaut32 and what they import.
struct Ole {
    decltype(&::CoInitializeEx) CoInitializeEx;
    decltype(&::CLSIDFromProgID) CLSIDFromProgID;
    decltype(&::CoCreateInstance) CoCreateInstance;
    decltype(&::SysAllocStringLen) SysAllocStringLen;
    decltype(&::SysFreeString) SysFreeString;
    decltype(&::VariantClear) VariantClear;
    decltype(&::VariantChangeType) VariantChangeType;

    bool Complete() const {
        return CoInitializeEx && CLSIDFromProgID && CoCreateInstance && SysAllocStringLen &&
               SysFreeString && VariantClear && VariantChangeType;
    }
};

const Ole& OleFunctions() {
    static const Ole ole = {
        SystemProc<decltype(&::CoInitializeEx)>(L"ole32.dll", "CoInitializeEx"),
        SystemProc<decltype(&::CLSIDFromProgID)>(L"ole32.dll", "CLSIDFromProgID"),
        SystemProc<decltype(&::CoCreateInstance)>(L"ole32.dll", "CoCreateInstance"),
        SystemProc<decltype(&::SysAllocStringLen)>(L"oleaut32.dll", "SysAllocStringLen"),
        SystemProc<decltype(&::SysFreeString)>(L"oleaut32.dll", "SysFreeString"),
        SystemProc<decltype(&::VariantClear)>(L"oleaut32.dll", "VariantClear"),
        SystemProc<decltype(&::VariantChangeType)>(L"oleaut32.dll", "VariantChangeType"),
    };
    return ole;
}

// A BSTR for a scope.
class Bstr {
public:
    explicit Bstr(const std::u16string& text)
        : value_(OleFunctions().SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                                  static_cast<UINT>(text.size()))) {}
    ~Bstr() { OleFunctions().SysFreeString(value_); }
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

// Every other call is made only once this has made the voice, so only with
// every function of Ole at hand. The thread's apartment is entered here and
// left when the process ends.
bool SapiVoiceEngine::Create() {
    const Ole& ole = OleFunctions();
    if (!ole.Complete()) return false;
    ole.CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CLSID clsid;
    if (FAILED(ole.CLSIDFromProgID(L"SAPI.SpVoice", &clsid))) return false;
    return SUCCEEDED(ole.CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch,
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
    tokens.vt = VT_EMPTY;
    if (!Invoke(voice_, L"GetVoices", DISPATCH_METHOD, args, 2, &tokens) ||
        tokens.vt != VT_DISPATCH || tokens.pdispVal == nullptr) {
        OleFunctions().VariantClear(&tokens);
        return false;
    }
    bool chosen = false;
    VARIANT count;
    count.vt = VT_EMPTY;
    if (Invoke(tokens.pdispVal, L"Count", DISPATCH_PROPERTYGET, nullptr, 0, &count) &&
        SUCCEEDED(OleFunctions().VariantChangeType(&count, &count, 0, VT_I4)) && count.lVal > 0) {
        VARIANT index;
        index.vt = VT_I4;
        index.lVal = 0;
        VARIANT token;
        token.vt = VT_EMPTY;
        if (Invoke(tokens.pdispVal, L"Item", DISPATCH_METHOD, &index, 1, &token) &&
            token.vt == VT_DISPATCH) {
            chosen = Invoke(voice_, L"Voice", DISPATCH_PROPERTYPUTREF, &token, 1, nullptr);
        }
        OleFunctions().VariantClear(&token);
    }
    OleFunctions().VariantClear(&count);
    OleFunctions().VariantClear(&tokens);
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
    result.vt = VT_EMPTY;
    const bool ok = Invoke(voice_, L"Speak", DISPATCH_METHOD, args, 2, &result);
    OleFunctions().VariantClear(&result);
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
    result.vt = VT_EMPTY;
    const bool called = Invoke(voice_, L"WaitUntilDone", DISPATCH_METHOD, &limit, 1, &result);
    const bool done = !called || result.vt != VT_BOOL || result.boolVal != VARIANT_FALSE;
    OleFunctions().VariantClear(&result);
    return done;
}

// voice.Speak("", SVSFlagsAsync | SVSFPurgeBeforeSpeak): purging is how SAPI
// silences a voice mid-word.
void SapiVoiceEngine::Stop() {
    if (voice_ == nullptr) return;
    Speak(u"", SpeechSession::kSpeakAsync | SpeechSession::kPurgeBeforeSpeak);
}

}  // namespace kel::win32
