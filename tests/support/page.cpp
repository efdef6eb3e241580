// Kept apart from the rest of the host fixture, so that only test programs that open the page
// need the page's code.
#include "com/error.h"
#include "document/udPathmender.h"
#include "support/host_fixture.h"

ComPtr<udPathmender> HostFixture::open_page(bool hand_over_session) {
    auto page = make_com<udPathmender>();
    page->UserDocument_Initialize();
    if (hand_over_session) {
        auto session = host_session();
        ISessionContext* raw = session.get();
        check(page->Init(&raw));
    }
    return page;
}
