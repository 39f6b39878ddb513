(* The occurrence graph as tolq and the user see it: texts of markings,
 * bindings, statistics and the standard report; drawing nodes, arcs and
 * descriptors on pages through tolq's kernel requests and function-table
 * rows 52 to 55; the option setters (OGSet), the queries on nodes and arcs
 * (OGQuery), and the requests of tolq's occurrence-graph menu (OG'menu,
 * OGSaveReport). Nodes and arcs are numbered from 1 outside. *)
structure TolqOGText =
struct
  structure V = TolqValue
  structure G = TolqGrow
  structure G32 = TolqGrow32
  structure O = TolqOG
  structure N = TolqOGNet

  fun cut s = if !O.textLength > 3 andalso size s > !O.textLength then String.substring (s, 0, !O.textLength - 3) ^ "..." else s
  fun num i = Int.toString i
  fun nodeNames l = String.concatWith " " (map (fn n => num (n + 1)) l)
  fun entryName e = #name (Vector.sub (!N.entries, e))

  (* The state of each place of node n. *)
  fun marking (n : int) : (N.cell * V.v) list =
      let val cells = !N.cells
          val ids = O.decode (G.sub (O.keys, n))
      in ListPair.map (fn (k, i) => (Vector.sub (cells, k), O.valueAt (k, i)))
                      (List.tabulate (length ids, fn k => k), ids)
      end

  fun isEmpty (c : N.cell, x : V.v) = not (#isTime c) andalso O.tokenCount (c, x) = 0

  fun nodeDescriptor (n : int) : string =
      String.concatWith "\r"
        (num (n + 1) ^ ":"
         :: List.mapPartial (fn (c, x) =>
                                if isEmpty (c, x) andalso not (!O.emptyPlaces) then NONE
                                else SOME (cut (N.cellLabel c ^ ": " ^ #text c x)))
                            (marking n))

  (* The values of the k-th binding that entry e prints in the state its
   * arc a left from. *)
  fun bindingText (a : int) : string =
      let val src = G32.sub (O.arcSrc, a)
          val dst = G32.sub (O.arcDst, a)
          val e = G32.sub (O.arcEntry, a)
          val k = G32.sub (O.arcBind, a)
          val text =
              O.keepingState (fn () =>
                 let val () = O.restore (G.sub (O.keys, dst))
                     val at = time ()
                     val () = O.restore (G.sub (O.keys, src))
                     val () = if with_time () then TOLQ'ModelTime := at else ()
                     val d = TolqCapture.depth ()
                     val () = TolqCapture.push ()
                     val () = TOLQ'ValuePrint := true
                 in (ignore (#enabled (Vector.sub (!N.entries, e)) ()); TolqCapture.popTo d)
                    handle ex => (ignore (TolqCapture.popTo d); raise ex)
                 end)
          fun frames (s, acc) =
              case CharVector.findi (fn (_, c) => c = #"\006") s of
                NONE => rev acc
              | SOME (i, _) =>
                  let val rest = String.extract (s, i + 1, NONE)
                  in case CharVector.findi (fn (_, c) => c = #"\006") rest of
                       NONE => rev acc
                     | SOME (j, _) => frames (String.extract (rest, j + 1, NONE), String.substring (rest, 0, j) :: acc)
                  end
      in case List.drop (frames (text, []), k) of
           f :: _ => "<" ^ String.concatWith ", " (String.tokens (fn c => c = #"\000") f) ^ ">"
         | [] => ""
      end handle Subscript => ""

  fun arcDescriptor (a : int) : string =
      num (a + 1) ^ ": " ^ num (G32.sub (O.arcSrc, a) + 1) ^ " -> " ^ num (G32.sub (O.arcDst, a) + 1) ^ "\r"
      ^ cut (entryName (G32.sub (O.arcEntry, a)) ^ (if !O.showBinding then " " ^ bindingText a else ""))

  fun status () = if O.full () then "Full" else "Partial"

  fun statistics () : string =
      let val () = O.needReady ()
          val scc = O.sccDone ()
      in String.concat
           ["Statistics\n------------------------------------\n",
            "  Occurrence Graph\n",
            "    Nodes:  ", num (O.nodes ()), "\n",
            "    Arcs:   ", num (O.arcs ()), "\n",
            "    Secs:   ", num (!O.genSecs), "\n",
            "    Status: ", status (), "\n",
            "\n  Scc Graph\n",
            if scc then String.concat ["    Nodes:  ", num (!O.sccCount), "\n",
                                       "    Arcs:   ", num (!O.sccArcs), "\n",
                                       "    Secs:   ", num (!O.sccSecs), "\n"]
            else "    Not calculated\n"]
      end

  fun limited l =
      let val shown = if length l > !O.inspect then List.take (l, !O.inspect) else l
      in nodeNames shown ^ (if length l > length shown then " ..." else "") end

  fun msText (c : N.cell, l : (V.v * int) list) =
      case l of
        [] => "empty"
      | _ => String.concatWith "++" (map (fn (v, k) => num k ^ "`" ^ #elemText c v) l)

  fun names l = case l of [] => "None" | _ => String.concatWith "\n     " (map entryName l)

  (* The standard report with the parts chosen. *)
  fun report (stat, intB, msB, home, dead, deadT, liveT, fair) : string =
      let val () = O.needReady ()
          val full = O.full ()
          val () = if full then O.needScc () else ()
          val bs = if intB orelse msB then O.bounds () else []
          fun section (title, body) = "\n " ^ title ^ "\n" ^ body
          fun ifFull text = if full then text else "  Not available: the occurrence graph is not full.\n"
          val timed = with_time ()
      in String.concat
           ["TOLQ Occurrence Graph Report\n",
            if stat then "\n" ^ statistics () else "",
            if intB then
              section ("Boundedness Properties\n\n  Best Integer Bounds     Upper      Lower",
                       String.concat (map (fn {cell, upper, lower, ...} =>
                                              if #isTime cell then ""
                                              else "     " ^ N.cellLabel cell ^ "   " ^ num upper ^ "   " ^ num lower ^ "\n") bs))
            else "",
            if msB then
              section ("  Best Upper Multi-set Bounds",
                       String.concat (map (fn {cell, msUpper, ...} =>
                                              if #isTime cell then ""
                                              else "     " ^ N.cellLabel cell ^ "   " ^ msText (cell, msUpper) ^ "\n") bs))
              ^ section ("  Best Lower Multi-set Bounds",
                         String.concat (map (fn {cell, msLower, ...} =>
                                                if #isTime cell then ""
                                                else "     " ^ N.cellLabel cell ^ "   " ^ msText (cell, msLower) ^ "\n") bs))
            else "",
            if home then
              section ("Home Properties", ifFull (let val h = O.homeMarkings ()
                                                  in "  Home Markings: " ^ num (length h) ^ "\n     "
                                                     ^ (case h of [] => "None" | _ => limited h) ^ "\n" end))
            else "",
            if dead then
              section ("Liveness Properties",
                       let val d = O.deadMarkings ()
                       in "  Dead Markings: " ^ num (length d) ^ "\n     " ^ (case d of [] => "None" | _ => limited d) ^ "\n" end)
            else "",
            if deadT then section ("  Dead Transition Instances", ifFull ("     " ^ names (O.deadEntries ()) ^ "\n")) else "",
            if liveT then
              section ("  Live Transition Instances",
                       if timed then "  Not available for a timed net.\n" else ifFull ("     " ^ names (O.liveEntries ()) ^ "\n"))
            else "",
            if fair then
              section ("Fairness Properties",
                       if timed then "  Not available for a timed net.\n"
                       else ifFull (if O.hasCycleWithout ~1 then "  Impartial Transition Instances:\n     " ^ names (O.impartialEntries ()) ^ "\n"
                                    else "     No infinite occurrence sequences.\n"))
            else ""]
      end
end

(* Drawing on pages: the nodes and arcs tolq tags as graph objects. *)
structure TolqOGDraw =
struct
  structure K = Tolq.Kernel
  structure T = Tolq.Table
  structure G = TolqGrow
  structure G32 = TolqGrow32
  structure O = TolqOG

  fun row (r : int) (args : int list) : int =
      case T.call {row = r, result = T.INT, args = map (fn i => T.In (T.INT, T.I i)) args} of
        {result = T.I x, ...} => x
      | _ => 0

  (* The label of a node: mark code 0 while its successors are not
   * calculated, 1 for a dead marking, 2 otherwise; then the numbers of
   * its predecessors and successors known so far. *)
  fun label (n : int) : int * int * int =
      (if not (O.processed n) then 0 else if G32.sub (O.outCount, n) = 0 then 1 else 2,
       length (O.predArcsOf n), G32.sub (O.outCount, n))

  fun nodeOn (n : int, page : int) = row 53 [n + 1, page]
  fun arcOn (a : int, page : int) = row 55 [a + 1, page]

  fun drawNode (n : int, page : int, (x, y) : int * int) : int =
      let val (w, h) = !O.nodeSize
          val obj = K.createNode {page = page, x = x, y = y, width = w, height = h, shape = 1}
          val (m, a, b) = label n
      in if obj = 0 then 0 else (ignore (row 52 [n + 1, obj, m, a, b]); obj) end

  fun spot n = (80 + (n mod 6) * 120, 60 + ((n div 6) mod 8) * 90)

  fun positionOf obj = getOpt (K.position obj, (80, 60))

  fun ensureNode (n, page, at) = case nodeOn (n, page) of 0 => drawNode (n, page, at) | h => h

  fun drawArc (a : int, page : int, from : int, to : int) : int =
      let val c = K.createConnector {page = page, from = from, to = to}
      in if c = 0 then 0
         else (ignore (K.result 11150 [K.U32 c, K.U32 1]);
               if !O.arcWidth <> 1 then ignore (K.result 11220 [K.U32 c, K.U32 (!O.arcWidth)]) handle _ => () else ();
               ignore (row 54 [a + 1, c]); c)
      end

  fun shown l = if !O.maxShown > 0 andalso length l > !O.maxShown then List.take (l, !O.maxShown) else l

  (* Draws the arcs of a node not yet drawn (drawn holds the numbers of
   * those attached to it) with their other nodes, spread out above (for
   * predecessors) or below it. *)
  fun around (other : int -> int, below : bool) (n : int, at0 : int, drawn : int list, page : int, arcs : int list) =
      let val todo = shown (List.filter (fn a => not (List.exists (fn d => d = a + 1) drawn)) arcs)
          val (x, y) = positionOf at0
          val m = length todo
          fun at k = (x + (2 * k - (m - 1)) * 60, if below then y + 100 else y - 100)
      in ignore (List.foldl (fn (a, k) =>
                                let val w = ensureNode (other a, page, at k)
                                in (if w <> 0 then ignore (if below then drawArc (a, page, at0, w) else drawArc (a, page, w, at0)) else ());
                                   k + 1
                                end) 0 todo)
      end

  fun descriptor (text : string, obj : int, page : int) : int =
      let val (x, y) = positionOf obj
          val (w, h) = !O.descriptorSize
          val d = K.createLabel {page = page, x = x + w div 2 + 30, y = y, width = w, height = h, text = text}
      in if d = 0 then 0 else (ignore (K.result 41 [K.U32 d, K.U32 obj]); d) end
end

(* Setters of the options; the attributes dialog writes calls of them into
 * a text on the page for the user to edit and evaluate. *)
structure OGSet =
struct
  structure O = TolqOG
  fun NodeAttributes {Width : int, Height : int} = O.nodeSize := (Width, Height)
  fun ArcAttributes {Width : int} = O.arcWidth := Width
  fun NodeDescriptorAttributes {Width : int, Height : int} = O.descriptorSize := (Width, Height)
  fun ArcDescriptorAttributes {Width : int, Height : int} = O.descriptorSize := (Width, Height)
  fun StringRepresentation {Length : int} = O.textLength := Length
  fun NodeDescriptor {EmptyPlaces : bool} = O.emptyPlaces := EmptyPlaces
  fun ArcDescriptor {Binding : bool} = O.showBinding := Binding
  fun SuccPred {Shown : int} = O.maxShown := Shown
  fun Stop {Nodes : int, Arcs : int, Secs : int} = (O.maxNodes := Nodes; O.maxArcs := Arcs; O.maxSecs := Secs)
  fun Branching {Bindings : int} = O.maxBindings := Bindings
  fun Inspection {Nodes : int} = O.inspect := Nodes
end

(* Queries on the graph, numbers from 1. *)
structure OGQuery =
struct
  structure O = TolqOG
  structure G = TolqGrow
  structure G32 = TolqGrow32
  fun node n = (O.needReady (); if n < 1 orelse n > O.nodes () then raise Tolq.Error ("No node " ^ Int.toString n) else n - 1)
  fun arc a = (O.needReady (); if a < 1 orelse a > O.arcs () then raise Tolq.Error ("No arc " ^ Int.toString a) else a - 1)
  fun up l = map (fn i => i + 1) l
  fun NoOfNodes () = (O.needReady (); O.nodes ())
  fun NoOfArcs () = (O.needReady (); O.arcs ())
  fun NoOfSccs () = (O.needReady (); O.needScc (); !O.sccCount)
  fun Full () = O.full ()
  fun OutArcs n = up (O.succArcs (node n))
  fun InArcs n = up (O.predArcsOf (node n))
  fun Successors n = map (fn a => G32.sub (O.arcDst, a) + 1) (O.succArcs (node n))
  fun Predecessors n = map (fn a => G32.sub (O.arcSrc, a) + 1) (O.predArcsOf (node n))
  fun SourceNode a = G32.sub (O.arcSrc, arc a) + 1
  fun DestNode a = G32.sub (O.arcDst, arc a) + 1
  fun ArcTI a = TolqOGText.entryName (G32.sub (O.arcEntry, arc a))
  fun SccOf n = (O.needScc (); Array.sub (!O.sccOf, node n) + 1)
  fun TerminalSccs () = up (O.terminalSccs ())
  fun DeadMarkings () = (O.needReady (); up (O.deadMarkings ()))
  fun HomeMarkings () = (O.needReady (); up (O.homeMarkings ()))
  fun DeadTIs () = map TolqOGText.entryName (O.deadEntries ())
  fun LiveTIs () = map TolqOGText.entryName (O.liveEntries ())
  fun ImpartialTIs () = map TolqOGText.entryName (O.impartialEntries ())
  fun Marking n = TolqOGText.nodeDescriptor (node n)
  fun Report flags = TolqOGText.report flags
end

structure OGSaveReport =
struct
  fun yes b = if b then "1" else "0"
  fun FullOGAndScc () = yes (TolqOG.full () andalso TolqOG.sccDone ())
  fun FullOG () = yes (TolqOG.full ())
  fun TimedOG () = yes (with_time ())
end

(* The requests of tolq's occurrence-graph menu. *)
structure OG'menu =
struct
  structure O = TolqOG
  structure D = TolqOGDraw
  structure G = TolqGrow
  structure G32 = TolqGrow32
  structure K = Tolq.Kernel
  fun outInt i = TolqEdit.outVal (Int.toString i)

  (* Binds the net of the simulator and starts the graph from its state. *)
  fun Init () = O.init ()

  fun CalculateOG () = O.generate ()
  fun CalculateScc () = (O.needReady (); O.computeScc ())

  fun known ns = List.map (fn n => OGQuery.node n) ns

  fun CalculateSuccessors (ns : int list) = O.expandNodes (known ns)

  fun UpdateInscriptions (ns : int list) =
      List.app (fn n => let val (m, a, b) = D.label n in outInt m; outInt a; outInt b end) (known ns)

  fun ShowStatistics () = TolqOGText.statistics ()

  fun SaveReport (stat, intB, msB, home, dead, deadT, liveT, fair) =
      let val text = TolqOGText.report (stat, intB, msB, home, dead, deadT, liveT, fair)
      in case K.whenNonZero 1200 [K.Str "Enter Name of Report File", K.Str ""] K.str of
           NONE => ()
         | SOME path =>
             let val out = TextIO.openOut path
                           handle IO.Io _ => raise Tolq.Error ("The report cannot be written to " ^ path)
             in (TextIO.output (out, text); TextIO.closeOut out)
                handle IO.Io _ => (TextIO.closeOut out handle IO.Io _ => ();
                                   raise Tolq.Error ("The report cannot be written to " ^ path))
             end
      end

  fun OGStatetoSim (n : int) =
      (O.needReady ();
       if n < 1 orelse n > O.nodes () then raise Tolq.Error "Node has not been calculated."
       else O.restore (G.sub (O.keys, n - 1)))

  fun SimStatetoOG () =
      let val () = O.needReady ()
          val (n, added) = O.addNode (O.snapshot ())
      in outInt (if added then 1 else 0); outInt (n + 1) end

  (* A text on the current page with the calls that set the chosen
   * attributes and options, showing their present values. *)
  fun AttrOpt (nodeA, arcA, nodeDA, arcDA, nodeDO, arcDO, succO, stopO, branchO, inspectO, stringO) =
      let fun i n = Int.toString n
          fun b x = Bool.toString x
          val (nw, nh) = !O.nodeSize
          val (dw, dh) = !O.descriptorSize
          val lines =
              List.mapPartial (fn (on, text) => if on then SOME text else NONE)
                [(nodeA, "OGSet.NodeAttributes {Width = " ^ i nw ^ ", Height = " ^ i nh ^ "};"),
                 (arcA, "OGSet.ArcAttributes {Width = " ^ i (!O.arcWidth) ^ "};"),
                 (nodeDA, "OGSet.NodeDescriptorAttributes {Width = " ^ i dw ^ ", Height = " ^ i dh ^ "};"),
                 (arcDA, "OGSet.ArcDescriptorAttributes {Width = " ^ i dw ^ ", Height = " ^ i dh ^ "};"),
                 (nodeDO, "OGSet.NodeDescriptor {EmptyPlaces = " ^ b (!O.emptyPlaces) ^ "};"),
                 (arcDO, "OGSet.ArcDescriptor {Binding = " ^ b (!O.showBinding) ^ "};"),
                 (succO, "OGSet.SuccPred {Shown = " ^ i (!O.maxShown) ^ "};"),
                 (stopO, "OGSet.Stop {Nodes = " ^ i (!O.maxNodes) ^ ", Arcs = " ^ i (!O.maxArcs)
                         ^ ", Secs = " ^ i (!O.maxSecs) ^ "};"),
                 (branchO, "OGSet.Branching {Bindings = " ^ i (!O.maxBindings) ^ "};"),
                 (inspectO, "OGSet.Inspection {Nodes = " ^ i (!O.inspect) ^ "};"),
                 (stringO, "OGSet.StringRepresentation {Length = " ^ i (!O.textLength) ^ "};")]
          val page = K.result 3040 []
      in case lines of
           [] => ()
         | _ => ignore (K.createLabel {page = page, x = 200, y = 40, width = 380, height = 20 * length lines,
                                       text = String.concatWith "\r" lines})
      end

  fun DisplayNode (n : int, page : int) =
      if n < 1 orelse n > O.nodes () then outInt 0
      else outInt (if D.ensureNode (n - 1, page, D.spot (n - 1)) <> 0 then 1 else 0)

  fun DisplayArc (a : int, page : int) =
      if a < 1 orelse a > O.arcs () then outInt 0
      else
        let val a = a - 1
            val s = G32.sub (O.arcSrc, a)
            val d = G32.sub (O.arcDst, a)
            val hs = D.ensureNode (s, page, D.spot s)
            val (x, y) = D.positionOf hs
            val hd = D.ensureNode (d, page, (x, y + 100))
        in outInt (if hs <> 0 andalso hd <> 0 andalso (D.arcOn (a, page) <> 0 orelse D.drawArc (a, page, hs, hd) <> 0) then 1 else 0)
        end

  fun DisplaySuccessors (items : (int * int * int list) list, page : int) =
      let val ns = known (map #1 items)
      in O.expandNodes ns;
         List.app (fn ((_, h, drawn), n) => D.around (fn a => G32.sub (O.arcDst, a), true) (n, h, drawn, page, O.succArcs n))
                  (ListPair.zip (items, ns))
      end

  fun DisplayPredecessors (items : (int * int * int list) list, page : int) =
      List.app (fn ((_, h, drawn), n) => D.around (fn a => G32.sub (O.arcSrc, a), false) (n, h, drawn, page, O.predArcsOf n))
               (ListPair.zip (items, known (map #1 items)))

  (* The component graph on the current page: one node per component
   * with its number and size, and the arcs between components. *)
  fun DisplayScc () =
      let val () = O.needReady ()
          val () = O.needScc ()
          val page = K.result 3040 []
          val c = !O.sccCount
          val sizes = Array.array (c, 0)
          val () = Array.app (fn k => Array.update (sizes, k, Array.sub (sizes, k) + 1)) (!O.sccOf)
          val handles = Array.tabulate (c, fn k =>
                          let val (x, y) = D.spot k
                              val h = K.createNode {page = page, x = x, y = y, width = 60, height = 30, shape = 1}
                          in if h <> 0 then ignore (K.setText (h, "S" ^ Int.toString (c - k) ^ "\r" ^ Int.toString (Array.sub (sizes, k)))) else (); h end)
          val drawn = ref []
      in G32.appi (fn (a, s) =>
                    let val (cs, cd) = (Array.sub (!O.sccOf, s), Array.sub (!O.sccOf, G32.sub (O.arcDst, a)))
                    in if cs = cd orelse List.exists (fn p => p = (cs, cd)) (!drawn) then ()
                       else (drawn := (cs, cd) :: !drawn;
                             ignore (K.createConnector {page = page, from = Array.sub (handles, cs), to = Array.sub (handles, cd)}))
                    end) O.arcSrc
      end

  fun DisplayNodeDescriptor (items : (int * int) list, page : int) =
      List.app (fn (n, h) => outInt (if n < 1 orelse n > O.nodes () then 0
                                     else D.descriptor (TolqOGText.nodeDescriptor (n - 1), h, page))) items

  fun DisplayArcDescriptor (items : (int * int) list, page : int) =
      List.app (fn (a, h) => outInt (if a < 1 orelse a > O.arcs () then 0
                                     else D.descriptor (TolqOGText.arcDescriptor (a - 1), h, page))) items
end
