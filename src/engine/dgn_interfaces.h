// The speech engine's COM interfaces as this program calls them, shared by the program and
// the stand-in engine. Every interface derives from IDispatch; the operation at place p (counted
// from 1 after IDispatch's methods) sits at vtable index 6 + p. Places the program never calls
// are kept as filler methods so that the vtable keeps its shape; they have a body that answers
// E_NOTIMPL, so an implementation need not write them out.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>

#define DGN_UNUSED_PLACE(place)                                                                    \
    virtual HRESULT STDMETHODCALLTYPE UnusedPlace##place()                                         \
    {                                                                                              \
        return E_NOTIMPL;                                                                          \
    }

struct IDgnResult;
struct ResultTime;
struct ResultPhraseList;
struct IDgnResPhrase;
struct IDgnResWords;
struct IDgnResWord;

// Class ids of the engine's two objects.
inline constexpr CLSID CLSID_DgnEngineControl = {
    0xDE2DB781, 0xBE83, 0x11D1, {0xA5, 0x72, 0x00, 0x60, 0x08, 0xAA, 0xC4, 0xE2}};
inline constexpr CLSID CLSID_DgnDictEdit = {
    0xE4BF99E2, 0x5C60, 0x11D1, {0xA4, 0x98, 0x00, 0xA0, 0x24, 0xA3, 0xA6, 0x78}};
// The event dispinterface of DgnDictEdit and the type library that describes it (version 1.0).
inline constexpr IID DIID__DDgnDictEditEvents = {
    0x4E3060D0, 0x4FDE, 0x11D1, {0xA4, 0x91, 0x00, 0xA0, 0x24, 0xA3, 0xA6, 0x78}};
inline constexpr GUID LIBID_DNSTools = {
    0x5C486340, 0x2F92, 0x11D1, {0xA4, 0x7C, 0x00, 0xA0, 0x24, 0xA3, 0xA6, 0x78}};
inline constexpr WORD kDnsToolsMajor = 1;
inline constexpr WORD kDnsToolsMinor = 0;

// Dispatch ids of _DDgnDictEditEvents; none carries arguments.
enum DgnDictEditEvent : DISPID
{
    kDgnEventResultReady = 1,
    kDgnEventTranscriptionEnded = 7,
    kDgnEventRecognitionStarted = 8,
};

// A time stamp in milliseconds, as two 32-bit halves.
struct DECLSPEC_UUID("9659ED24-EF80-40E1-8A9C-153173A551FE") DECLSPEC_NOVTABLE ResultTime
    : public IDispatch
{
public:
    virtual HRESULT STDMETHODCALLTYPE GetHighPart(LONG* high) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetLowPart(LONG* low) = 0;
};
__CRT_UUID_DECL(ResultTime, 0x9659ED24, 0xEF80, 0x40E1, 0x8A, 0x9C, 0x15, 0x31, 0x73, 0xA5, 0x51,
                0xFE)

// One recognised word.
struct DECLSPEC_UUID("40BEB1FC-0356-479F-8D66-B0E7475FE8F2") DECLSPEC_NOVTABLE IDgnResWord
    : public IDispatch
{
public:
    virtual HRESULT STDMETHODCALLTYPE get_Text(BSTR* text) = 0;
    DGN_UNUSED_PLACE(2)
    DGN_UNUSED_PLACE(3)
    virtual HRESULT STDMETHODCALLTYPE get_ConfidenceScore(LONG* score) = 0;
};
__CRT_UUID_DECL(IDgnResWord, 0x40BEB1FC, 0x0356, 0x479F, 0x8D, 0x66, 0xB0, 0xE7, 0x47, 0x5F, 0xE8,
                0xF2)

// The words of a phrase.
struct DECLSPEC_UUID("EA02C1BD-556A-4E60-BB32-CC7A319BC549") DECLSPEC_NOVTABLE IDgnResWords
    : public IDispatch
{
public:
    virtual HRESULT STDMETHODCALLTYPE get_Item(LONG index, IDgnResWord** word) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCount(LONG* count) = 0;
};
__CRT_UUID_DECL(IDgnResWords, 0xEA02C1BD, 0x556A, 0x4E60, 0xBB, 0x32, 0xCC, 0x7A, 0x31, 0x9B, 0xC5,
                0x49)

// One phrase of a result; item 0 of the list is the best one.
struct DECLSPEC_UUID("3C03ADE8-9D2C-461E-9F2B-0EAEC2563286") DECLSPEC_NOVTABLE IDgnResPhrase
    : public IDispatch
{
public:
    DGN_UNUSED_PLACE(1)
    virtual HRESULT STDMETHODCALLTYPE get_Words(IDgnResWords** words) = 0;
};
__CRT_UUID_DECL(IDgnResPhrase, 0x3C03ADE8, 0x9D2C, 0x461E, 0x9F, 0x2B, 0x0E, 0xAE, 0xC2, 0x56, 0x32,
                0x86)

// The phrases of a result.
struct DECLSPEC_UUID("7982DD41-D7A2-466F-8B80-27B20B365B85") DECLSPEC_NOVTABLE ResultPhraseList
    : public IDispatch
{
public:
    virtual HRESULT STDMETHODCALLTYPE get_Item(LONG index, IDgnResPhrase** phrase) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCount(LONG* count) = 0;
};
__CRT_UUID_DECL(ResultPhraseList, 0x7982DD41, 0xD7A2, 0x466F, 0x8B, 0x80, 0x27, 0xB2, 0x0B, 0x36,
                0x5B, 0x85)

// One recognition result.
struct DECLSPEC_UUID("C9D3A710-261E-4D78-94A6-1725723B723E") DECLSPEC_NOVTABLE IDgnResult
    : public IDispatch
{
public:
    virtual HRESULT STDMETHODCALLTYPE GetStartTime(ResultTime** time) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetEndTime(ResultTime** time) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPhrases(ResultPhraseList** phrases) = 0;
};
__CRT_UUID_DECL(IDgnResult, 0xC9D3A710, 0x261E, 0x4D78, 0x94, 0xA6, 0x17, 0x25, 0x72, 0x3B, 0x72,
                0x3E)

// The engine interface of DgnEngineControl: the engine's operations and the wave-file
// signal-to-noise query share one vtable.
struct DECLSPEC_UUID("E366EA73-A952-44C3-A448-72553BDA9EAE") DECLSPEC_NOVTABLE IDgnEngineControl
    : public IDispatch
{
public:
    DGN_UNUSED_PLACE(1)
    DGN_UNUSED_PLACE(2)
    DGN_UNUSED_PLACE(3)
    virtual HRESULT STDMETHODCALLTYPE get_Speaker(BSTR* speaker) = 0;
    DGN_UNUSED_PLACE(5)
    DGN_UNUSED_PLACE(6)
    DGN_UNUSED_PLACE(7)
    DGN_UNUSED_PLACE(8)
    DGN_UNUSED_PLACE(9)
    virtual HRESULT STDMETHODCALLTYPE GetVocabularyName(BSTR* name) = 0;
    DGN_UNUSED_PLACE(11)
    DGN_UNUSED_PLACE(12)
    DGN_UNUSED_PLACE(13)
    DGN_UNUSED_PLACE(14)
    DGN_UNUSED_PLACE(15)
    DGN_UNUSED_PLACE(16)
    DGN_UNUSED_PLACE(17)
    DGN_UNUSED_PLACE(18)
    DGN_UNUSED_PLACE(19)
    DGN_UNUSED_PLACE(20)
    DGN_UNUSED_PLACE(21)
    DGN_UNUSED_PLACE(22)
    DGN_UNUSED_PLACE(23)
    virtual HRESULT STDMETHODCALLTYPE GetEngineVersion(short* major, short* minor,
                                                       short* build) = 0;
    DGN_UNUSED_PLACE(25)
    DGN_UNUSED_PLACE(26)
    DGN_UNUSED_PLACE(27)
    DGN_UNUSED_PLACE(28)
    DGN_UNUSED_PLACE(29)
    DGN_UNUSED_PLACE(30)
    DGN_UNUSED_PLACE(31)
    DGN_UNUSED_PLACE(32)
    DGN_UNUSED_PLACE(33)
    DGN_UNUSED_PLACE(34)
    DGN_UNUSED_PLACE(35)
    DGN_UNUSED_PLACE(36)
    DGN_UNUSED_PLACE(37)
    DGN_UNUSED_PLACE(38)
    DGN_UNUSED_PLACE(39)
    DGN_UNUSED_PLACE(40)
    DGN_UNUSED_PLACE(41)
    DGN_UNUSED_PLACE(42)
    DGN_UNUSED_PLACE(43)
    DGN_UNUSED_PLACE(44)
    DGN_UNUSED_PLACE(45)
    DGN_UNUSED_PLACE(46)
    DGN_UNUSED_PLACE(47)
    DGN_UNUSED_PLACE(48)
    DGN_UNUSED_PLACE(49)
    DGN_UNUSED_PLACE(50)
    DGN_UNUSED_PLACE(51)
    virtual HRESULT STDMETHODCALLTYPE GetState(LONG item, LONG* state) = 0;
    DGN_UNUSED_PLACE(53)
    DGN_UNUSED_PLACE(54)
    DGN_UNUSED_PLACE(55)
    virtual HRESULT STDMETHODCALLTYPE SetFeature(LONG feature, LONG value, LONG reserved) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetParameter(LONG number, VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetParameter(LONG number, VARIANT value) = 0;
    DGN_UNUSED_PLACE(59)
    DGN_UNUSED_PLACE(60)
    DGN_UNUSED_PLACE(61)
    DGN_UNUSED_PLACE(62)
    DGN_UNUSED_PLACE(63)
    DGN_UNUSED_PLACE(64)
    DGN_UNUSED_PLACE(65)
    DGN_UNUSED_PLACE(66)
    DGN_UNUSED_PLACE(67)
    virtual HRESULT STDMETHODCALLTYPE GetSourceName(LONG source, BSTR* name) = 0;
    DGN_UNUSED_PLACE(69)
    DGN_UNUSED_PLACE(70)
    DGN_UNUSED_PLACE(71)
    DGN_UNUSED_PLACE(72)
    DGN_UNUSED_PLACE(73)
    virtual HRESULT STDMETHODCALLTYPE GetCurrentSource(LONG* source) = 0;
    DGN_UNUSED_PLACE(75)
    DGN_UNUSED_PLACE(76)
    DGN_UNUSED_PLACE(77)
    DGN_UNUSED_PLACE(78)
    DGN_UNUSED_PLACE(79)
    DGN_UNUSED_PLACE(80)
    virtual HRESULT STDMETHODCALLTYPE GetModelName(BSTR user, LONG source, BSTR* name) = 0;
    DGN_UNUSED_PLACE(82)
    DGN_UNUSED_PLACE(83)
    DGN_UNUSED_PLACE(84)
    DGN_UNUSED_PLACE(85)
    DGN_UNUSED_PLACE(86)
    DGN_UNUSED_PLACE(87)
    DGN_UNUSED_PLACE(88)
    DGN_UNUSED_PLACE(89)
    DGN_UNUSED_PLACE(90)
    DGN_UNUSED_PLACE(91)
    DGN_UNUSED_PLACE(92)
    DGN_UNUSED_PLACE(93)
    DGN_UNUSED_PLACE(94)
    DGN_UNUSED_PLACE(95)
    DGN_UNUSED_PLACE(96)
    DGN_UNUSED_PLACE(97)
    DGN_UNUSED_PLACE(98)
    DGN_UNUSED_PLACE(99)
    DGN_UNUSED_PLACE(100)
    DGN_UNUSED_PLACE(101)
    DGN_UNUSED_PLACE(102)
    DGN_UNUSED_PLACE(103)
    DGN_UNUSED_PLACE(104)
    DGN_UNUSED_PLACE(105)
    DGN_UNUSED_PLACE(106)
    DGN_UNUSED_PLACE(107)
    DGN_UNUSED_PLACE(108)
    DGN_UNUSED_PLACE(109)
    DGN_UNUSED_PLACE(110)
    DGN_UNUSED_PLACE(111)
    DGN_UNUSED_PLACE(112)
    virtual HRESULT STDMETHODCALLTYPE GetWaveFileSNR(BSTR path, double* ratio) = 0;
};
__CRT_UUID_DECL(IDgnEngineControl, 0xE366EA73, 0xA952, 0x44C3, 0xA4, 0x48, 0x72, 0x55, 0x3B, 0xDA,
                0x9E, 0xAE)

// The dictation object DgnDictEdit. The target is a window handle, pointer-sized on both
// architectures.
struct DECLSPEC_UUID("8D5CCCD6-C981-41EB-8B77-56D75960659F") DECLSPEC_NOVTABLE IDgnEditDictation
    : public IDispatch
{
public:
    virtual HRESULT STDMETHODCALLTYPE Register(HWND target, VARIANT flags) = 0;
    DGN_UNUSED_PLACE(2)
    DGN_UNUSED_PLACE(3)
    DGN_UNUSED_PLACE(4)
    DGN_UNUSED_PLACE(5)
    DGN_UNUSED_PLACE(6)
    DGN_UNUSED_PLACE(7)
    DGN_UNUSED_PLACE(8)
    DGN_UNUSED_PLACE(9)
    DGN_UNUSED_PLACE(10)
    DGN_UNUSED_PLACE(11)
    DGN_UNUSED_PLACE(12)
    DGN_UNUSED_PLACE(13)
    DGN_UNUSED_PLACE(14)
    DGN_UNUSED_PLACE(15)
    DGN_UNUSED_PLACE(16)
    DGN_UNUSED_PLACE(17)
    DGN_UNUSED_PLACE(18)
    virtual HRESULT STDMETHODCALLTYPE TranscribeFile(BSTR path) = 0;
    virtual HRESULT STDMETHODCALLTYPE TranscribeStop() = 0;
    DGN_UNUSED_PLACE(21)
    DGN_UNUSED_PLACE(22)
    DGN_UNUSED_PLACE(23)
    DGN_UNUSED_PLACE(24)
    DGN_UNUSED_PLACE(25)
    DGN_UNUSED_PLACE(26)
    DGN_UNUSED_PLACE(27)
    DGN_UNUSED_PLACE(28)
    DGN_UNUSED_PLACE(29)
    DGN_UNUSED_PLACE(30)
    DGN_UNUSED_PLACE(31)
    DGN_UNUSED_PLACE(32)
    DGN_UNUSED_PLACE(33)
    DGN_UNUSED_PLACE(34)
    DGN_UNUSED_PLACE(35)
    DGN_UNUSED_PLACE(36)
    virtual HRESULT STDMETHODCALLTYPE get_LastResult(IDgnResult** result) = 0;
    DGN_UNUSED_PLACE(38)
    virtual HRESULT STDMETHODCALLTYPE SetOption(LONG option, VARIANT value) = 0;
};
__CRT_UUID_DECL(IDgnEditDictation, 0x8D5CCCD6, 0xC981, 0x41EB, 0x8B, 0x77, 0x56, 0xD7, 0x59, 0x60,
                0x65, 0x9F)

inline constexpr IID IID_IDgnEngineControl = __uuidof(IDgnEngineControl);
inline constexpr IID IID_IDgnEditDictation = __uuidof(IDgnEditDictation);

#undef DGN_UNUSED_PLACE
