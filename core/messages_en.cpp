// The English of the program's texts, by their Chinese. A format keeps the
// Chinese one's conversions in their order; "\r\n" and other line ends stay
// where they stand.
#include <cstddef>

#include "core/messages.h"

namespace torvane {

extern const CatalogueEntry kEnglishCatalogue[];
extern const size_t kEnglishCatalogueSize;

const CatalogueEntry kEnglishCatalogue[] = {
    {"当前无操作记录！", "The operation log is empty."},
};
const size_t kEnglishCatalogueSize = sizeof(kEnglishCatalogue) / sizeof(kEnglishCatalogue[0]);

}  // namespace torvane
