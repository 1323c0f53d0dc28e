#include "engine_control.h"

#include "bstr_tracker.h"
#include "call.h"
#include "com_object.h"
#include "engine_state.h"
#include "journal.h"

#include "core/audio_analysis.h"
#include "core/text.h"
#include "core/wav_reader.h"

#include <cstdio>

namespace standin {
namespace {

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

class EngineControl : public DispatchObject<IDgnEngineControl, ObjectKind::EngineControl>
{
public:
    STDMETHODIMP get_Speaker(BSTR* speaker) override
    {
        return Text("IDgnEngineControl.get_Speaker", CurrentProfile().speaker, speaker);
    }
    STDMETHODIMP GetVocabularyName(BSTR* name) override
    {
        return Text("IDgnEngineControl.GetVocabularyName", CurrentProfile().vocabulary, name);
    }
    STDMETHODIMP GetEngineVersion(short* major, short* minor, short* build) override
    {
        Call call("IDgnEngineControl.GetEngineVersion", __uuidof(IDgnEngineControl));
        if (call.Injected())
            return call.Result();
        if (!major || !minor || !build)
            return call.Finish(E_POINTER);
        const short* v = CurrentProfile().version;
        *major = v[0];
        *minor = v[1];
        *build = v[2];
        return call.Finish(
            S_OK, Join({std::to_string(v[0]), std::to_string(v[1]), std::to_string(v[2])}));
    }
    STDMETHODIMP GetState(LONG item, LONG* state) override
    {
        Call call("IDgnEngineControl.GetState", __uuidof(IDgnEngineControl), std::to_string(item));
        if (call.Injected())
            return call.Result();
        if (!state)
            return call.Finish(E_POINTER);
        *state = CurrentProfile().state;
        return call.Finish(S_OK, std::to_string(*state));
    }
    STDMETHODIMP SetFeature(LONG feature, LONG value, LONG reserved) override
    {
        Call call("IDgnEngineControl.SetFeature", __uuidof(IDgnEngineControl),
                  Join({std::to_string(feature), std::to_string(value), std::to_string(reserved)}));
        if (call.Injected())
            return call.Result();
        ApplySettings(cmd::Feature{feature, value});
        return call.Finish(S_OK);
    }
    STDMETHODIMP GetParameter(LONG number, VARIANT* value) override
    {
        Call call("IDgnEngineControl.GetParameter", __uuidof(IDgnEngineControl),
                  std::to_string(number));
        if (call.Injected())
            return call.Result();
        if (!value)
            return call.Finish(E_POINTER);
        const auto& parameters = CurrentProfile().parameters;
        auto found = parameters.find(number);
        if (found == parameters.end())
            return call.Finish(E_INVALIDARG, "", L"No such parameter");
        VariantClear(value);
        ToVariant(found->second, value);
        return call.Finish(S_OK, VariantText(*value));
    }
    STDMETHODIMP SetParameter(LONG number, VARIANT value) override
    {
        Call call("IDgnEngineControl.SetParameter", __uuidof(IDgnEngineControl),
                  Join({std::to_string(number), VariantText(value)}));
        if (call.Injected())
            return call.Result();
        ParameterValue kept;
        kept.type = value.vt;
        if (value.vt == VT_BSTR) {
            kept.text = value.bstrVal ? value.bstrVal : L"";
        } else if (value.vt != VT_EMPTY) {
            VARIANT number8;
            VariantInit(&number8);
            if (FAILED(VariantChangeType(&number8, &value, 0, VT_R8)))
                return call.Finish(DISP_E_TYPEMISMATCH, "", L"The value is not a number");
            kept.number = number8.dblVal;
        }
        ApplySettings(cmd::Parameter{number, kept});
        return call.Finish(S_OK);
    }
    STDMETHODIMP GetSourceName(LONG source, BSTR* name) override
    {
        Call call("IDgnEngineControl.GetSourceName", __uuidof(IDgnEngineControl),
                  std::to_string(source));
        if (name)
            *name = nullptr;
        if (call.Injected())
            return call.Result();
        if (!name)
            return call.Finish(E_POINTER);
        if (source != CurrentProfile().sourceId)
            return call.Finish(E_INVALIDARG, "", L"No such dictation source");
        *name = HandOut(CurrentProfile().sourceName);
        return call.Finish(S_OK, Quoted(CurrentProfile().sourceName));
    }
    STDMETHODIMP GetCurrentSource(LONG* source) override
    {
        Call call("IDgnEngineControl.GetCurrentSource", __uuidof(IDgnEngineControl));
        if (call.Injected())
            return call.Result();
        if (!source)
            return call.Finish(E_POINTER);
        *source = CurrentProfile().sourceId;
        return call.Finish(S_OK, std::to_string(*source));
    }
    STDMETHODIMP GetModelName(BSTR user, LONG source, BSTR* name) override
    {
        Call call("IDgnEngineControl.GetModelName", __uuidof(IDgnEngineControl),
                  Join({Quoted(user), std::to_string(source)}));
        if (name)
            *name = nullptr;
        if (call.Injected())
            return call.Result();
        if (!name)
            return call.Finish(E_POINTER);
        const Profile& p = CurrentProfile();
        std::wstring asked = user ? std::wstring(user, SysStringLen(user)) : L"";
        if (p.speaker.empty() || asked != p.speaker || source != p.sourceId)
            return call.Finish(E_INVALIDARG, "", L"No such user or dictation source");
        *name = HandOut(p.model);
        return call.Finish(S_OK, Quoted(p.model));
    }
    STDMETHODIMP GetWaveFileSNR(BSTR path, double* ratio) override
    {
        Call call("IDgnEngineControl.GetWaveFileSNR", __uuidof(IDgnEngineControl), Quoted(path));
        if (call.Injected())
            return call.Result();
        if (!ratio)
            return call.Finish(E_POINTER);
        if (!path || SysStringLen(path) == 0)
            return call.Finish(E_INVALIDARG, "", L"No file named");
        WavRead read = ReadWav(std::wstring(path, SysStringLen(path)));
        if (!read.audio)
            return call.Finish(E_INVALIDARG, read.problem, FromUtf8(read.problem));
        *ratio = Analyze(*read.audio).snrDb;
        return call.Finish(S_OK, Number(*ratio));
    }

private:
    HRESULT Text(const char* operation, const std::wstring& value, BSTR* out)
    {
        Call call(operation, __uuidof(IDgnEngineControl));
        if (out)
            *out = nullptr;
        if (call.Injected())
            return call.Result();
        if (!out)
            return call.Finish(E_POINTER);
        *out = HandOut(value);
        return call.Finish(S_OK, Quoted(value));
    }
};

} // namespace

IDgnEngineControl* NewEngineControl()
{
    return new EngineControl();
}

void ToVariant(const ParameterValue& value, VARIANT* out)
{
    VariantInit(out);
    out->vt = value.type;
    const double n = value.number;
    switch (value.type) {
    case VT_I1: out->cVal = static_cast<CHAR>(static_cast<long long>(n)); break;
    case VT_I2: out->iVal = static_cast<SHORT>(static_cast<long long>(n)); break;
    case VT_I4: out->lVal = static_cast<LONG>(static_cast<long long>(n)); break;
    case VT_UI1: out->bVal = static_cast<BYTE>(static_cast<long long>(n)); break;
    case VT_UI2: out->uiVal = static_cast<USHORT>(static_cast<long long>(n)); break;
    case VT_UI4: out->ulVal = static_cast<ULONG>(static_cast<long long>(n)); break;
    case VT_R4: out->fltVal = static_cast<float>(n); break;
    case VT_R8: out->dblVal = n; break;
    case VT_BOOL: out->boolVal = n != 0 ? VARIANT_TRUE : VARIANT_FALSE; break;
    // Not through HandOut: the caller frees the VARIANT, which is not a string it was given.
    case VT_BSTR: out->bstrVal = SysAllocString(value.text.c_str()); break;
    default: out->vt = VT_EMPTY; break;
    }
}

} // namespace standin
