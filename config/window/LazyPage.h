#pragma once
// TLazyPage<T>: a tab page of the configuration window that is made when it is first needed.
//
// It reads like the page pointer it stands for: `->`, `*` and the conversion to T* hand out the
// page and make it first when it is not there yet, by calling the maker it was given. The maker
// makes the page, hands it over with Set() before it sets the page up (so whatever the set-up
// reaches through this object finds the page and makes nothing twice), and puts it in its place
// on the window. Made() and IfMade() look without making anything, for the code that may leave
// a page that is not there yet alone (it is set up from the data module when it is made).
//
// The page belongs to its parent widget; this object only points to it. UI thread only.

#include <functional>
#include <utility>

template <typename T>
class TLazyPage {
public:
    explicit TLazyPage(std::function<void()> maker) : FMaker(std::move(maker)) {}
    TLazyPage(const TLazyPage&) = delete;
    TLazyPage& operator=(const TLazyPage&) = delete;

    T* get() const {
        if (FPage == nullptr && FMaker) FMaker();
        return FPage;
    }
    T* operator->() const { return get(); }
    T& operator*() const { return *get(); }
    operator T*() const { return get(); }  // NOLINT(google-explicit-constructor): reads as the page pointer

    bool Made() const { return FPage != nullptr; }
    T* IfMade() const { return FPage; }
    // Called by the maker with the page it made, before the page is set up.
    void Set(T* page) { FPage = page; }

private:
    std::function<void()> FMaker;
    T* FPage = nullptr;
};
