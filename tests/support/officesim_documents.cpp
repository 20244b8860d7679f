#include "officesim_documents.h"

namespace officesim {

std::string TraitText(const std::wstring& traits) {
    return "officesim test document\r\nofficesim: " + testing_files::Narrow(traits) + "\r\n";
}

}  // namespace officesim
