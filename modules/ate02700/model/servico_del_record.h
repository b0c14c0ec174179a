#pragma once
// cdsServicoDel: the priced services of the current delivery, one row per service line.
// Its change log is what a save sends; the field order is the order in which the save
// lists the fields left null.

#include "framework/data/clientdataset.h"
#include "framework/data/field.h"

#include <vector>

namespace ate02700 {

// The persistent fields of cdsServicoDel, in field order.
struct ServicoDelFields {
    TField* CDARVSERV = nullptr;
    TField* DSSERVICO = nullptr;
    TField* SGUNIDADE = nullptr;
    TField* SGCLASSE = nullptr;
    TField* IDCICLO = nullptr;
    TField* QTSERFATSP = nullptr;
    TField* QTSESBYUTSP = nullptr;
    TField* QTSESBYNUTSP = nullptr;
    TField* VRPRURESESP = nullptr;
    TField* VRPRUDOLSESP = nullptr;
    TField* PRECOSBYUT = nullptr;
    TField* PRECOSBYNUT = nullptr;
    TField* VRTOTSERVR = nullptr;
    TField* VRTOTSERVD = nullptr;
    TField* CDFILIAL = nullptr;
    TField* CDCIA = nullptr;
    TField* NRVOO = nullptr;
    TField* CDTRECHO = nullptr;
    TField* DTHRPLAVOOPV = nullptr;
    TField* NRITEMPLANSP = nullptr;
    TField* CDAGRDECO = nullptr;
    TField* CDAGRDEDE = nullptr;
    TField* CDSERVICO = nullptr;
    TField* CDCLASSE = nullptr;
    TField* CDCICLO = nullptr;
    TField* IDSITSERSP = nullptr;
    TField* VRALTXPORT = nullptr;
    TField* IDTIPSCBOSP = nullptr;
    TField* QTSESOLICSP = nullptr;
    TField* QTSERVFIXSP = nullptr;
    TField* QTATUAPRODSP = nullptr;
    TField* NRDELIVERY = nullptr;
    TField* VRPESOSESP = nullptr;
    TField* IDTIPMANUALSP = nullptr;
    TField* IDSEREXTSP = nullptr;
    TField* IDSTKDTSP = nullptr;
    TField* CDUSRRESPSP = nullptr;
    TField* QTANTAPRODSP = nullptr;
    TField* QTSESBYPRSP = nullptr;
    TField* QTCORTSERVSP = nullptr;
    TField* DTHRINCSESP = nullptr;
    TField* QTREALPROD = nullptr;
    TField* VRPRUSBYSP = nullptr;
    TField* SGAGRDEDE = nullptr;
    TField* IDTPPRECO = nullptr;
    TField* VRPRECMANUTSESP = nullptr;
};

std::vector<TFieldDef> ServicoDelFieldDefs();

// Declares the 46 fields on an inactive dataset without fields. The edit mask of CDARVSERV
// comes from the host's configuration and is set by the form, as are the event handlers.
ServicoDelFields DeclareServicoDelFields(TClientDataSet& cds);

}  // namespace ate02700
