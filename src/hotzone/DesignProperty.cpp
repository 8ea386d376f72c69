#include "hotzone/DesignProperty.h"

#include <QXmlStreamReader>

namespace {

// The text of every <string> inside the element just started, at any depth.
QStringList StringsWithin(QXmlStreamReader &xml) {
    QStringList strings;
    int depth = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"string")
                strings << xml.readElementText();
            else
                ++depth;
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth-- == 0)
                break;
        }
    }
    return strings;
}

} // namespace

QStringList DesignStrings(const QByteArray &designXml, const QString &widget, const QString &property) {
    QXmlStreamReader xml(designXml);
    int depth = 0, widgetDepth = -1;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            const auto attrs = xml.attributes();
            if (widgetDepth < 0 && xml.name() == u"widget" && attrs.value(QLatin1String("name")) == widget)
                widgetDepth = depth;
            else if (widgetDepth >= 0 && depth == widgetDepth + 1 && xml.name() == u"property" &&
                     attrs.value(QLatin1String("name")) == property)
                return StringsWithin(xml);
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == widgetDepth)
                widgetDepth = -1;
            --depth;
        }
    }
    return {};
}
