#include "client/app/search/event_search_form.h"

#include "client/net/requests.h"

namespace client::search {

std::string EventSearchQuery(const EventSearchForm& form) {
    return EventSearchBody(form.start, form.end, form.channel, static_cast<int>(form.event));
}

}  // namespace client::search
