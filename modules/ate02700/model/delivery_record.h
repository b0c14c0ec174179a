#pragma once
// cdsDelivery: the deliveries of the chosen branch, airline and flight-plan date range,
// one row per delivery, always ordered by NRDELIVERY.

#include "framework/data/clientdataset.h"
#include "framework/data/field.h"

#include <QStringView>

#include <vector>

namespace ate02700 {

inline constexpr QStringView kDeliveryIndexName = u"cdsDeliveryIndex1";
inline constexpr QStringView kDeliveryIndexFields = u"NRDELIVERY";
// Lets through the marked deliveries only; switched on while they are handed over for numbering.
inline constexpr QStringView kDeliveryMarkedFilter = u"IDMARCADO = 'S'";

// The persistent fields of cdsDelivery, in field order.
struct DeliveryFields {
    TField* IDMARCADO = nullptr;
    TField* CDFILIAL = nullptr;
    TField* CDCIA = nullptr;
    TField* NMCIA = nullptr;
    TField* NRDELIVERY = nullptr;
    TField* NRVOO = nullptr;
    TField* CDTRECHO = nullptr;
    TField* NRDELIVERYFA = nullptr;
    TField* DTHRPLAVOOPV = nullptr;
    TField* VRTOTDESC = nullptr;
    TField* VRTXAERO = nullptr;
    TField* IDSITDEL = nullptr;
    TField* NUMERO = nullptr;
    TField* VRPETXAERO = nullptr;
    TField* IDTIPNACDEL = nullptr;
    TField* VRTOTDELIV = nullptr;
    TField* CDLOCAFATCIA = nullptr;
    TField* CDLOCALDELIV = nullptr;
    TField* VRBACATX = nullptr;
    TField* NRMAXSERVDEL = nullptr;
};

std::vector<TFieldDef> DeliveryFieldDefs();

// Declares the 20 fields on an inactive dataset without fields, adds the index
// cdsDeliveryIndex1 on NRDELIVERY and makes it active, and stores the marked-rows filter
// without switching it on. The text handlers are the form's to bind.
DeliveryFields DeclareDeliveryFields(TClientDataSet& cds);

}  // namespace ate02700
