#pragma once

#include "fzconnectorexport.h"

#include <map>
#include <string>
#include <vector>

// One platform object, query or local file as the connector exchanges it: fixed fields, a map
// of string properties, a parent and ordered children. Records never own each other; whoever
// created a record deletes it, and a deleted record unlinks itself from its parent and children.
class FZCONNECTOR_EXPORT FzFileInfo
{
public:
    FzFileInfo();
    // Copies fields and properties, not the tree links: a copy stands alone.
    FzFileInfo(const FzFileInfo &other);
    FzFileInfo &operator=(const FzFileInfo &other);
    ~FzFileInfo();

    std::string GetName() const;
    void SetName(const std::string &name);
    std::string GetTitle() const;
    void SetTitle(const std::string &title);
    std::string GetPath() const;
    void SetPath(const std::string &path);
    std::string GetDirname() const;
    void SetDirname(const std::string &dirname);

    // A key that was never set reads as "".
    std::string GetProperty(const std::string &key) const;
    void SetProperty(const std::string &key, const std::string &value);
    bool HasProperty(const std::string &key) const;
    const std::map<std::string, std::string> &GetProperties() const;

    // Links this record under parent (appended to its children) and unlinks it from a former
    // parent; null only unlinks.
    void SetParent(FzFileInfo *parent);
    FzFileInfo *GetParent() const;
    // Appends child and makes this record its parent.
    void AddChild(FzFileInfo *child);
    const std::vector<FzFileInfo *> &GetChildren() const;

    bool HasChildren() const;
    void InitChildrenIterator();
    bool AtEnd() const;
    FzFileInfo *CurrentChild() const;
    void NextChild();

private:
    void detachChild(FzFileInfo *child);

    std::string m_name;
    std::string m_title;
    std::string m_path;
    std::string m_dirname;
    std::map<std::string, std::string> m_properties;
    FzFileInfo *m_parent = nullptr;
    std::vector<FzFileInfo *> m_children;
    std::size_t m_childCursor = 0;
};
