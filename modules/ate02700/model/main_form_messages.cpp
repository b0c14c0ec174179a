#include "modules/ate02700/model/main_form_messages.h"

using namespace Qt::StringLiterals;

namespace ate02700 {

// The texts are kept exactly as the operators know them, odd spellings included, and the
// server names the seven "E..." keys in its error texts: do not correct or reorder them.
QStringList MainFormMsgPadraoEntries()
{
    return {
        u"FILIAL_ni|Filial deve ser informada."_s,
        u"FILIAL_nc|Filial não cadastrada."_s,
        u"CIA_ni|Companhia deve ser informada."_s,
        u"CIA_nc|Companhia não cadastrada ou que não possui plano de vôo gerado para a data informada."_s,
        u"VOO_ni|Vôo deve ser informado."_s,
        u"VOO_nc|Vôo não cadastrado."_s,
        u"Veri_Cia|Recebendo Dados Referente às Companhias ..."_s,
        u"Veri_VooTrecho|Verificando Vôo/Trecho no servidor ..."_s,
        u"Atual_Dados|Atualizando no Servidor ..."_s,
        u"Agrup_Vaz|Agrupamento de classe deve ser informado."_s,
        u"Serv_Vaz|Serviço deve ser informado."_s,
        u"Qtde_Vaz|Quantidade deve ser informada."_s,
        u"SBUt_Vaz|Stand-by utilizado deve ser informado."_s,
        u"SBNU_Vaz|Stand-by não utilizado deve ser informado."_s,
        u"Qtde_Zero|Quantidade deve ser maior que zero."_s,
        u"Cal_Preco|Calculando Preço ..."_s,
        u"Pesq_Serv|Verificando Valores do Serviço ..."_s,
        u"Servico|Serviço"_s,
        u"Serv_Inv|Serviço não cadastrado ou já existente nesta delivey."_s,
        u"Recal_Del|Recalculando valores da delivery ..."_s,
        u"DEL_nm|Pelo menos uma delivery deve ser marcada."_s,
        u"DELVALO_nu|Filial não parametrizada para utilização de delivery valorizada."_s,
        u"CIAs_di|Devem ser marcadas deliveries apenas de uma mesma companhia."_s,
        u"mb_OK|Serão marcadas apenas as deliveries da companhia "_s,
        u"DELIVERY|Delivery deve ser informado."_s,
        u"deli_n|Deliverys faturados e não faturados não podem ser selecionados ao mesmo tempo."_s,
        u"cia_n_cad|Companhia não cadastrada."_s,
        u"dt_ini|Data inicial deve ser informada."_s,
        u"dt_fin|Data final deve ser informada."_s,
        u"dtini>dtfin|Data inicial deve ser menor ou igual a data final."_s,
        u"EVoo_valta|Geração interrompida. Existe mais de uma tabela ativa no momento para a companhia '%s'. Verifique a validade das tabelas de preço existentes e tente novamente."_s,
        u"Eser_Preco|Geração interrompida. O serviço '%s' possui dois preços vigentes para o dia. Verifique a vigência do serviço na tabela de preço e tente novamente."_s,
        u"Evoo_Inter|Geração interrompida. Existe mais de um intervalo cadastrado para a quantidade de passageiros para a companhia '%s'. Verifique a tabela de preço proporcional e tente novamente.\r\n"_s,
        u"Eser_Prepr|Geração interrompida. O serviço '%s' possui preço proporcional, mas não possui preço cadastrado para quantidade de passageiros. Verifique a tabela de preço proporcional e tente novamente."_s,
        u"Eser_PreDa|Geração interrompida. O serviço '%s' não possui preço  cadastrado para esta data ou possui preço zero.\r\nVerifique se existe tabela de preço cadastrada para este serviço e se esta tabela se encontra vigente nesta data."_s,
        u"Eser_IndFi|Geração interrompida. O serviço nacional '%s' possui preço cadastrado apenas em dólar e näo há índce financeiro cadastrado para a data para fazer a conversão para Moeda Corrente. Verifique o cadastro de índice financeiro ou a tabela de preços e tente novamente."_s,
        u"Eser_CAdRe|Geração interrompida. O serviço internacional '%s' possui preço cadastrado apenas na Moeda Corrente e näo há índce financeiro cadastrado para a data para fazer a conversão para dólar. Verifique o cadastro de índice financeiro ou a tabela de preços e tente novamente."_s,
        u"del_dev|Delivery deve ser informado."_s,
        u"oper_bloq|Operação bloqueada ! A quantidade de serviços da delivery não pode exceder o número parametrizado."_s,
        u"NExcl_Serv|Exclusão não permitida! A delivery deve possuir no mínimo um serviço."_s,
        u"cl_n_comp|Operação bloqueada ! Classe do serviço não relacionada a companhia."_s,
        u"n_h_nrfat|Não há número de faturamento para ser cancelado."_s,
        u"manutpreco<>Zero|Manutenção de preço deve ser diferente de zero."_s,
    };
}

QStringList MainFormMsgMensagensPadroesEntries()
{
    return {
        u"Excl|Confirma exclusão?"_s,
        u"Canc|Cancelar operação?"_s,
        u"cancel_del|Deseja cancelar o(s) delivery(s) selecionado(s) ?"_s,
    };
}

}  // namespace ate02700
