#include "server/record_layouts.h"

namespace server::layout {

namespace {

wire::FieldDef str(const char* name, int size) { return {QString::fromLatin1(name), wire::FieldType::String, size}; }
wire::FieldDef num(const char* name) { return {QString::fromLatin1(name), wire::FieldType::Float, 0}; }
wire::FieldDef when(const char* name) { return {QString::fromLatin1(name), wire::FieldType::DateTime, 0}; }

}  // namespace

const std::vector<wire::FieldDef>& delivery()
{
    static const std::vector<wire::FieldDef> fields = {
        str("IDMARCADO", 1),     str("CDFILIAL", 4),      str("CDCIA", 4),       str("NMCIA", 50),
        num("NRDELIVERY"),       str("NRVOO", 5),         str("CDTRECHO", 4),    str("NRDELIVERYFA", 40),
        when("DTHRPLAVOOPV"),    num("VRTOTDESC"),        num("VRTXAERO"),       str("IDSITDEL", 1),
        str("NUMERO", 40),       num("VRPETXAERO"),       str("IDTIPNACDEL", 1), num("VRTOTDELIV"),
        str("CDLOCAFATCIA", 20), str("CDLOCALDELIV", 20), num("VRBACATX"),       num("NRMAXSERVDEL"),
    };
    return fields;
}

const std::vector<wire::FieldDef>& service()
{
    static const std::vector<wire::FieldDef> fields = {
        str("CDARVSERV", 20),   str("DSSERVICO", 50),    str("SGUNIDADE", 10), str("SGCLASSE", 5),
        str("IDCICLO", 10),     num("QTSERFATSP"),       num("QTSESBYUTSP"),   num("QTSESBYNUTSP"),
        num("VRPRURESESP"),     num("VRPRUDOLSESP"),     num("PRECOSBYUT"),    num("PRECOSBYNUT"),
        num("VRTOTSERVR"),      num("VRTOTSERVD"),       str("CDFILIAL", 4),   str("CDCIA", 4),
        str("NRVOO", 5),        str("CDTRECHO", 4),      when("DTHRPLAVOOPV"), num("NRITEMPLANSP"),
        str("CDAGRDECO", 4),    str("CDAGRDEDE", 4),     str("CDSERVICO", 10), str("CDCLASSE", 4),
        str("CDCICLO", 4),      str("IDSITSERSP", 1),    num("VRALTXPORT"),    str("IDTIPSCBOSP", 1),
        num("QTSESOLICSP"),     num("QTSERVFIXSP"),      num("QTATUAPRODSP"),  num("NRDELIVERY"),
        num("VRPESOSESP"),      str("IDTIPMANUALSP", 1), str("IDSEREXTSP", 1), str("IDSTKDTSP", 1),
        str("CDUSRRESPSP", 12), num("QTANTAPRODSP"),     num("QTSESBYPRSP"),   num("QTCORTSERVSP"),
        when("DTHRINCSESP"),    num("QTREALPROD"),       num("VRPRUSBYSP"),    str("SGAGRDEDE", 5),
        str("IDTPPRECO", 1),    num("VRPRECMANUTSESP"),
    };
    return fields;
}

const std::vector<wire::FieldDef>& serviceSearch()
{
    static const std::vector<wire::FieldDef> fields = {
        str("CDARVSERV", 20),  str("CDSERVICO", 10), str("DSSERVICO", 50), str("SGUNIDADE", 10),
        str("IDSERVICO", 1),   str("IDSERVESP", 1),  num("VRPESOSE"),      str("IDFATSE", 1),
        str("IDTIPMANUAL", 1), str("SGCLASSE", 5),   str("IDCICLO", 10),
    };
    return fields;
}

const std::vector<wire::FieldDef>& branchParams()
{
    static const std::vector<wire::FieldDef> fields = {str("IDUTDELVALO", 1), str("IDALTERDELIV", 1),
                                                       str("IDINTATEPCP", 1)};
    return fields;
}

const std::vector<wire::FieldDef>& prices()
{
    static const std::vector<wire::FieldDef> fields = {num("VRPRURESESP"), num("VRPRUDOLSESP"), num("VRPRUSBYSP")};
    return fields;
}

const std::vector<wire::FieldDef>& emissionPlace()
{
    static const std::vector<wire::FieldDef> fields = {str("CDLOCALDELIV", 4), str("NMLOCALDELIV", 20)};
    return fields;
}

const std::vector<wire::FieldDef>& error()
{
    static const std::vector<wire::FieldDef> fields = {str("CDERRO", 10), str("CDOBJETO", 255)};
    return fields;
}

int indexOf(const std::vector<wire::FieldDef>& fields, QStringView name)
{
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == name) return static_cast<int>(i);
    return -1;
}

}  // namespace server::layout
