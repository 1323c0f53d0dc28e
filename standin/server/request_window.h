// The message-only window through which a dictation object takes requests from tests
// (WM_COPYDATA) and runs its own work later (posted messages), always on its creating thread.
#pragma once

#include <windows.h>

#include <string>

namespace standin {

class RequestListener
{
public:
    // A request's text; false refuses it. Must only queue work: the sender waits for the answer.
    virtual bool OnRequest(const std::string& text) = 0;
    virtual void OnPosted(UINT message, WPARAM wParam) = 0;

protected:
    ~RequestListener() = default;
};

class RequestWindow
{
public:
    explicit RequestWindow(RequestListener* listener);
    ~RequestWindow();
    RequestWindow(const RequestWindow&) = delete;
    RequestWindow& operator=(const RequestWindow&) = delete;

    // Messages from WM_APP on are the listener's own.
    void Post(UINT message, WPARAM wParam = 0);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    RequestListener* listener_;
    HWND window_ = nullptr;
};

} // namespace standin
