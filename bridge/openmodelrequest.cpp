#include "openmodelrequest.h"

#include "bridgeconstants.h"

#include <QByteArray>

OpenModelRequest::Outcome OpenModelRequest::addChunk(const QByteArray &chunk)
{
    m_received += chunk.size();
    if (m_received > kMaxRequestBytes)
        return Outcome::TooLarge;
    m_reader.addData(chunk);
    const Outcome outcome = readAvailable();
    // A chunk that finished a document, or spoilt one, leaves the next chunk a fresh start.
    if (outcome == Outcome::Document)
        m_modelId = m_pendingId;
    if (outcome != Outcome::NeedMore)
        startDocument();
    return outcome;
}

OpenModelRequest::Outcome OpenModelRequest::readAvailable()
{
    // Element names are taken as written, prefixes and all, and no namespace is required to be
    // declared: the sender's documents are read as plain XML.
    m_reader.setNamespaceProcessing(false);
    while (!m_reader.atEnd()) {
        switch (m_reader.readNext()) {
        case QXmlStreamReader::StartElement:
            ++m_depth;
            if (!m_elementSeen && m_reader.qualifiedName() == QLatin1String(kOpenModelElement)) {
                m_elementSeen = true;
                m_pendingId = m_reader.attributes()
                                  .value(QLatin1String(kOpenModelIdAttribute))
                                  .toString();
            }
            break;
        case QXmlStreamReader::EndElement:
            m_rootClosed = --m_depth == 0;
            break;
        case QXmlStreamReader::EndDocument:
            return Outcome::Document;
        default:
            break;
        }
    }
    // The reader cannot know whether more will follow the root element (comments may), so a
    // closed root with nothing wrong after it is a whole document.
    if (m_reader.error() == QXmlStreamReader::PrematureEndOfDocumentError)
        return m_rootClosed ? Outcome::Document : Outcome::NeedMore;
    return Outcome::NotXml;
}

void OpenModelRequest::startDocument()
{
    m_reader.clear();
    m_depth = 0;
    m_rootClosed = false;
    m_elementSeen = false;
    m_pendingId.clear();
}
