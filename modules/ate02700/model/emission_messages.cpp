#include "modules/ate02700/model/emission_messages.h"

using namespace Qt::StringLiterals;

namespace ate02700 {

QStringList EmissionMsgPadraoEntries()
{
    return {
        u"Arq_Rel_Err|O arquivo contendo a definição do relatório de código '%s' não foi encontrado no diretório '%s'."_s,
        u"NovoCaption|Título do relatório"_s,
        u"NovoPrompt|Informe o título do relatório:"_s,
        u"DELIVALO_ni|Delivery valorizada não informada."_s,
        u"DELIVALO_nc|Delivery valorizada não gerada."_s,
        u"Local_inf|Tipo de emissão deve ser informado."_s,
        u"Local_cad|Tipo de emissão não cadastrado."_s,
        u"NUMERACAO|Emissão cancelada. Não há numeração disponível no intervalo determinado para o local de emissão."_s,
        u"DELIVERY|Delivery deve ser informado."_s,
    };
}

}  // namespace ate02700
