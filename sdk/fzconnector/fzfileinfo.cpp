#include "fzfileinfo.h"

#include <algorithm>

FzFileInfo::FzFileInfo() = default;

FzFileInfo::FzFileInfo(const FzFileInfo &other)
    : m_name(other.m_name)
    , m_title(other.m_title)
    , m_path(other.m_path)
    , m_dirname(other.m_dirname)
    , m_properties(other.m_properties)
{
}

FzFileInfo &FzFileInfo::operator=(const FzFileInfo &other)
{
    if (this != &other) {
        m_name = other.m_name;
        m_title = other.m_title;
        m_path = other.m_path;
        m_dirname = other.m_dirname;
        m_properties = other.m_properties;
    }
    return *this;
}

FzFileInfo::~FzFileInfo()
{
    if (m_parent)
        m_parent->detachChild(this);
    for (FzFileInfo *child : m_children)
        child->m_parent = nullptr;
}

std::string FzFileInfo::GetName() const { return m_name; }
void FzFileInfo::SetName(const std::string &name) { m_name = name; }
std::string FzFileInfo::GetTitle() const { return m_title; }
void FzFileInfo::SetTitle(const std::string &title) { m_title = title; }
std::string FzFileInfo::GetPath() const { return m_path; }
void FzFileInfo::SetPath(const std::string &path) { m_path = path; }
std::string FzFileInfo::GetDirname() const { return m_dirname; }
void FzFileInfo::SetDirname(const std::string &dirname) { m_dirname = dirname; }

std::string FzFileInfo::GetProperty(const std::string &key) const
{
    const auto it = m_properties.find(key);
    return it == m_properties.end() ? std::string() : it->second;
}

void FzFileInfo::SetProperty(const std::string &key, const std::string &value)
{
    m_properties[key] = value;
}

bool FzFileInfo::HasProperty(const std::string &key) const
{
    return m_properties.count(key) != 0;
}

const std::map<std::string, std::string> &FzFileInfo::GetProperties() const
{
    return m_properties;
}

void FzFileInfo::SetParent(FzFileInfo *parent)
{
    if (parent == m_parent)
        return;
    if (m_parent)
        m_parent->detachChild(this);
    m_parent = parent;
    if (parent)
        parent->m_children.push_back(this);
}

FzFileInfo *FzFileInfo::GetParent() const { return m_parent; }

void FzFileInfo::AddChild(FzFileInfo *child)
{
    if (child && child != this)
        child->SetParent(this);
}

const std::vector<FzFileInfo *> &FzFileInfo::GetChildren() const { return m_children; }

bool FzFileInfo::HasChildren() const { return !m_children.empty(); }
void FzFileInfo::InitChildrenIterator() { m_childCursor = 0; }
bool FzFileInfo::AtEnd() const { return m_childCursor >= m_children.size(); }

FzFileInfo *FzFileInfo::CurrentChild() const
{
    return AtEnd() ? nullptr : m_children[m_childCursor];
}

void FzFileInfo::NextChild()
{
    if (!AtEnd())
        ++m_childCursor;
}

void FzFileInfo::detachChild(FzFileInfo *child)
{
    const auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it == m_children.end())
        return;
    const std::size_t index = static_cast<std::size_t>(it - m_children.begin());
    m_children.erase(it);
    if (index < m_childCursor)
        --m_childCursor;
}
