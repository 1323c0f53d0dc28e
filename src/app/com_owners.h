// Owners for the COM string and VARIANT types: each frees what it holds on every way out.
#pragma once

#include <windows.h>
#include <oleauto.h>

class Bstr
{
public:
    Bstr() = default;
    explicit Bstr(const wchar_t* text) : value_(SysAllocString(text)) {}
    Bstr(const wchar_t* text, UINT length) : value_(SysAllocStringLen(text, length)) {}
    ~Bstr() { SysFreeString(value_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : value_(other.value_) { other.value_ = nullptr; }
    Bstr& operator=(Bstr&& other) noexcept
    {
        if (this != &other) {
            SysFreeString(value_);
            value_ = other.value_;
            other.value_ = nullptr;
        }
        return *this;
    }

    // For an out-parameter: frees the old string first.
    BSTR* Out()
    {
        SysFreeString(value_);
        value_ = nullptr;
        return &value_;
    }
    BSTR Get() const { return value_; }
    // A null BSTR is the empty string to COM.
    const wchar_t* Text() const { return value_ ? value_ : L""; }
    UINT Length() const { return SysStringLen(value_); }
    bool Empty() const { return Length() == 0; }

private:
    BSTR value_ = nullptr;
};

class Variant
{
public:
    Variant() { VariantInit(&value_); }
    explicit Variant(LONG number)
    {
        VariantInit(&value_);
        value_.vt = VT_I4;
        value_.lVal = number;
    }
    ~Variant() { VariantClear(&value_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    VARIANT* Out()
    {
        VariantClear(&value_);
        return &value_;
    }
    const VARIANT& Get() const { return value_; }

private:
    VARIANT value_;
};
