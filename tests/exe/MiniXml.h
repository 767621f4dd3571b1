#pragma once
// A small well-formedness check for XML documents such as application manifests: tags nest and
// match, one root, quoted and unique attributes, valid references, comments and processing
// instructions in their places. No DTDs, no namespaces resolved; names are kept as written.
#include <map>
#include <string>
#include <vector>

struct XmlElement {
    std::string name;
    std::string path;  // names from the root down, joined by '/'
    std::map<std::string, std::string> attributes;  // values as written, references unexpanded
};

struct XmlDocument {
    bool wellFormed = false;
    std::string error;  // why not, with the byte offset
    std::vector<XmlElement> elements;  // in document order

    // Elements at this path ("assembly/trustInfo/security").
    std::vector<const XmlElement*> At(const std::string& path) const;
};

XmlDocument ParseXml(const std::string& text);
