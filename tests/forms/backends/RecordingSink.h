#pragma once
// What backend tests share: a sink that writes down every report as one line of text,
// and a pump that hands out a backend's events until a condition holds.
#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "forms/core/Backend.h"

namespace backend_tests {

using forms::TimerId;
using forms::WindowId;

// "MouseDown w1 b0 s8 30,40": the report, the window, then its values; keys and
// characters in hexadecimal. Timer ticks are counted, not written.
class RecordingSink : public forms::EventSink {
public:
    void Paint(WindowId w, const forms::TRect& r) override {
        Add("Paint w" + N(w) + " " + N(r.Left) + "," + N(r.Top) + "," + N(r.Right) + "," + N(r.Bottom));
        if (Next) Next->Paint(w, r);
    }
    void MouseDown(WindowId w, forms::TMouseButton b, forms::TShiftState s, int32_t x, int32_t y) override {
        Add("MouseDown w" + N(w) + " b" + N(static_cast<int>(b)) + " s" + N(s) + " " + N(x) + "," + N(y));
        if (Next) Next->MouseDown(w, b, s, x, y);
    }
    void MouseUp(WindowId w, forms::TMouseButton b, forms::TShiftState s, int32_t x, int32_t y) override {
        Add("MouseUp w" + N(w) + " b" + N(static_cast<int>(b)) + " s" + N(s) + " " + N(x) + "," + N(y));
        if (Next) Next->MouseUp(w, b, s, x, y);
    }
    void MouseMove(WindowId w, forms::TShiftState s, int32_t x, int32_t y) override {
        Add("MouseMove w" + N(w) + " s" + N(s) + " " + N(x) + "," + N(y));
        if (Next) Next->MouseMove(w, s, x, y);
    }
    void KeyDown(WindowId w, uint16_t key, forms::TShiftState s) override {
        Add("KeyDown w" + N(w) + " " + Hex(key) + " s" + N(s));
        if (Next) Next->KeyDown(w, key, s);
    }
    void KeyUp(WindowId w, uint16_t key, forms::TShiftState s) override {
        Add("KeyUp w" + N(w) + " " + Hex(key) + " s" + N(s));
        if (Next) Next->KeyUp(w, key, s);
    }
    void Char(WindowId w, char32_t c) override {
        Add("Char w" + N(w) + " " + Hex(static_cast<uint32_t>(c)));
        if (Next) Next->Char(w, c);
    }
    void CloseRequest(WindowId w) override {
        Add("Close w" + N(w));
        if (Next) Next->CloseRequest(w);
    }
    void Activated(WindowId w, bool active) override {
        Add("Activated w" + N(w) + " " + N(active));
        if (Next) Next->Activated(w, active);
    }
    void Moved(WindowId w, int32_t left, int32_t top) override {
        Add("Moved w" + N(w) + " " + N(left) + "," + N(top));
        if (Next) Next->Moved(w, left, top);
    }
    void Timer(TimerId t) override {
        ++Ticks[t];
        if (OnTimer) OnTimer(t);
        if (Next) Next->Timer(t);
    }

    bool Has(const std::string& line) const { return std::find(Log.begin(), Log.end(), line) != Log.end(); }
    int Count(const std::string& line) const { return static_cast<int>(std::count(Log.begin(), Log.end(), line)); }
    // Lines that start with prefix, in order.
    std::vector<std::string> Starting(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& l : Log)
            if (l.rfind(prefix, 0) == 0) out.push_back(l);
        return out;
    }
    std::string Dump() const {
        std::string out;
        for (const std::string& l : Log) out += l + "\n";
        return out;
    }

    std::vector<std::string> Log;
    std::map<TimerId, int> Ticks;
    std::function<void(TimerId)> OnTimer;
    // Where every report goes on to once written down (an application's sink), if set.
    forms::EventSink* Next = nullptr;

private:
    template <class T>
    static std::string N(T v) {
        return std::to_string(v);
    }
    static std::string Hex(uint32_t v) {
        std::ostringstream s;
        s << std::hex << v;
        return s.str();
    }
    void Add(std::string line) { Log.push_back(std::move(line)); }
};

// Hands out the backend's events until done holds; false if it never does. The bound
// only keeps a broken backend from hanging the run: no test depends on how long
// anything takes.
inline bool PumpUntil(forms::Backend& backend, const std::function<bool()>& done, int boundMs = 15000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    for (;;) {
        backend.ProcessEvents(false);
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace backend_tests
