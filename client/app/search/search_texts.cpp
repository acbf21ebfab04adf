#include "client/app/search/search_texts.h"

#include "client/net/client_strings.h"

namespace client::search {

QString SearchText(int id) {
    return QString::fromStdString(ClientText(id));
}

}  // namespace client::search
