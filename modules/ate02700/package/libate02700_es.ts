<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es" sourcelanguage="pt_BR">
<context>
    <name>TfrmManuDelValor</name>
    <message>
        <source>Emissão de Guia Valorizado</source>
        <translation>Emisión de Guía Valorizada</translation>
    </message>
    <message>
        <source>Cancelar Delivery</source>
        <translation>Cancelar Entrega</translation>
    </message>
    <message>
        <source>Filial</source>
        <translation>Sucursal</translation>
    </message>
    <message>
        <source>Pesquisar</source>
        <translation>Buscar</translation>
    </message>
    <message>
        <source>Companhia</source>
        <translation>Compañía</translation>
    </message>
    <message>
        <source>Domingo</source>
        <translation>Domingo</translation>
    </message>
    <message>
        <source>Segunda</source>
        <translation>Lunes</translation>
    </message>
    <message>
        <source>Terça</source>
        <translation>Martes</translation>
    </message>
    <message>
        <source>Quarta</source>
        <translation>Miércoles</translation>
    </message>
    <message>
        <source>Quinta</source>
        <translation>Jueves</translation>
    </message>
    <message>
        <source>Sexta</source>
        <translation>Viernes</translation>
    </message>
    <message>
        <source>Sábado</source>
        <translation>Sábado</translation>
    </message>
    <message>
        <source>Plano de Vôo</source>
        <translation>Plan de Vuelo</translation>
    </message>
    <message>
        <source>Até</source>
        <translation>Hasta</translation>
    </message>
    <message>
        <source>Delivery</source>
        <translation>Entrega</translation>
    </message>
    <message>
        <source>Serviços do Vôo</source>
        <translation>Servicios del Vuelo</translation>
    </message>
    <message>
        <source>Tot. de Descontos</source>
        <translation>Tot. de Descuentos</translation>
    </message>
    <message>
        <source>Tx. Aeroporto</source>
        <translation>Tasa Aeropuerto</translation>
    </message>
    <message>
        <source>Tot. de Serviços</source>
        <translation>Tot. de Servicios</translation>
    </message>
    <message>
        <source>Tot. Geral</source>
        <translation>Tot. General</translation>
    </message>
    <message>
        <source>&amp;Delivery</source>
        <translation>&amp;Entrega</translation>
    </message>
    <message>
        <source>&amp;Serviços do Vôo</source>
        <translation>&amp;Servicios del Vuelo</translation>
    </message>
</context>
<context>
    <name>TfrmRelManuDelValor</name>
    <message>
        <source>Emissão de Delivery Valorizada</source>
        <translation>Emisión de Entrega Valorizada</translation>
    </message>
    <message>
        <source>Tipo Emissão</source>
        <translation>Tipo Emisión</translation>
    </message>
    <message>
        <source>Pesquisar</source>
        <translation>Buscar</translation>
    </message>
    <message>
        <source>Local de Emissão</source>
        <translation>Lugar de Emisión</translation>
    </message>
    <message>
        <source>Não há tipo de emissão cadastrado.</source>
        <translation>No hay tipo de emisión registrado.</translation>
    </message>
</context>
</TS>
